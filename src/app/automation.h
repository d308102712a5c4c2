// The automation runner: follows a script in a headless run, one engine pass
// per frame tick, feeding input, taking screenshots and state dumps, and
// checking expectations.
#pragma once

#include <string>

inline constexpr int kExitExpectFailed = 1;
inline constexpr int kExitMalformedScript = 2;

// Reads and checks the whole script before the game starts. False, after
// one line on standard error naming the file and line, when it cannot be read
// or is malformed.
bool AutomationLoad(const std::string& path);
// The engine's loop while a script runs: when it returns, the engine shuts
// down as after a close request.
void AutomationLoop();
void AutomationReset();
