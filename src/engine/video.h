// The engine's movie service: an Ogg Theora file opened by name (from the
// archive first, else from disk), its picture kept in a texture the game
// draws like any other, and its time moved by the caller — by the engine
// clock's elapsed milliseconds — so a headless run plays it the same way
// every time. A movie never loops unless asked and stops on its last frame.
#pragma once

#include <cstddef>
#include <string>

struct Texture;
struct Video;  // owned by the engine; freed by DeleteVideo or at shutdown

// nullptr, and the log line "Unable to open video: \"name\"", when the file
// is missing or holds no movie the game can show.
Video* OpenVideo(const std::string& file_name);
// Moves the movie on by `elapsed_ms` and shows the frame of its new time.
// Without `loop` the time stops at the movie's length.
void UpdateVideo(Video* video, double elapsed_ms, bool loop);
// Jumps to `ms` (clamped to the movie) and shows that frame.
void SeekVideo(Video* video, double ms);
void DeleteVideo(Video* video);

int VideoWidth(const Video* video);  // 0 for nullptr
int VideoHeight(const Video* video);
double VideoLengthMs(const Video* video);
double VideoTimeMs(const Video* video);
// The current frame's picture; nullptr before the first one.
const Texture* VideoTexture(const Video* video);

// Movies open now (the shutdown line "Videos to free: "), and freeing them.
std::size_t VideoCount();
void DeleteAllVideos();
