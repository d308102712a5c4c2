#!/usr/bin/env python3
"""The kill test: a headless game walks, picks things up, goes to the menu and
back and saves its options in a loop, and is killed outright — at a random
moment, or at a chosen step of saving (before and after each flush and
rename, through the save writer's QUILLMOOR_KILL_AT_SAVE_STEP hook). After
every kill the saved game must be whole (see saves.check_saved_game) and the
game must start again on it without a "damaged" message.

    kill_test.py GAME WORK [--kills N] [--seed S]

Prints the number of kills and of injected kills; exit status 1 on the first
saved game found broken (its folder is kept under WORK)."""

import argparse
import os
import pathlib
import random
import shutil
import signal
import sys
import time

import saves

CHECK_SCRIPT = ("tick 1\nexpect player == \"Ada\"\nexpect players contains \"Ada\"\n"
                "expect visible !contains wnd_msg\nquit\n")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("game")
    parser.add_argument("work")
    parser.add_argument("--kills", type=int, default=30)
    parser.add_argument("--seed", type=int, default=None)
    args = parser.parse_args()
    seed = args.seed if args.seed is not None else random.randrange(1 << 30)
    rng = random.Random(seed)
    game = os.path.abspath(args.game)
    game_dir = os.path.dirname(game)
    work = pathlib.Path(args.work).resolve()
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    script = work / "walk.qms"
    script.write_text(saves.walking_script(game_dir, rounds=1))
    check = work / "check.qms"
    check.write_text(CHECK_SCRIPT)
    template = work / "template"
    saves.make_player(template, game_dir, "crossroad")

    def fresh_home():
        home = work / "home"
        shutil.rmtree(home, ignore_errors=True)
        shutil.copytree(template, home)
        return home

    # One whole run: the script must hold, and it tells how long a run takes
    # and how many saving steps it passes.
    home = fresh_home()
    started = time.monotonic()
    whole = saves.run_game(game, home, script)
    duration = time.monotonic() - started
    if whole.returncode != 0 or not (work / "end.json").exists():
        print("the walk does not run through:\n" + whole.stdout + whole.stderr)
        return 1
    # The saving steps of a whole run are learnt on the way: a step number
    # the run never reaches lowers the bound.
    steps = 256
    print("seed %d; a whole run takes %.2f s" % (seed, duration))

    kills = injected = 0
    while kills < args.kills:
        home = fresh_home()
        env = dict(os.environ)
        inject = kills % 2 == 1
        if inject:
            env["QUILLMOOR_KILL_AT_SAVE_STEP"] = str(rng.randint(1, steps))
            status = saves.run_game(game, home, script, env=env).returncode
        else:
            process = saves.start_game(game, home, script, env=env)
            time.sleep(rng.uniform(0.0, duration))
            process.send_signal(signal.SIGKILL)
            status = process.wait()
        if status != -signal.SIGKILL:
            # The run ended before the moment came.
            if inject:
                steps = int(env["QUILLMOOR_KILL_AT_SAVE_STEP"]) - 1
            continue
        kills += 1
        injected += inject
        faults = saves.check_saved_game(home, game_dir)
        restart = saves.run_game(game, home, check)
        if restart.returncode != 0:
            faults.append("the game does not start cleanly on it: " + restart.stdout.strip())
        if faults:
            kept = work / ("broken-%d" % kills)
            shutil.copytree(home, kept)
            print("kill %d (%s) left a broken saved game in %s:\n  %s" % (
                kills, env.get("QUILLMOOR_KILL_AT_SAVE_STEP", "random moment"), kept,
                "\n  ".join(faults)))
            return 1
    print("kills: %d (%d at injected saving steps of at most %d, %d at random moments); "
          "every saved game whole" % (kills, injected, steps, kills - injected))
    return 0


if __name__ == "__main__":
    sys.exit(main())
