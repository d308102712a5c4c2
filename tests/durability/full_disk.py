#!/usr/bin/env python3
"""The full-disk test: the per-user folder lies on a small file system that is
then filled to the last byte. The player plays on — picks up the stick,
tries to walk on, goes to the menu, saves the options — and is told the game
could not be saved; nothing ends the game, the player stays where they are,
and every file saved before stays byte for byte as it was.

    full_disk.py GAME WORK

Needs a small tmpfs, so root and the right to mount one; elsewhere it says so
and ends with status 77 (skipped)."""

import os
import pathlib
import shutil
import subprocess
import sys

import saves

SKIPPED = 77

SCRIPT = """tick 601
click 512 536
tick 70
expect level == "bridge"
click {stick[0]} {stick[1]}
tick 1
expect inventory.0.name == "wooden_stick"
tick 150
# walking on needs a save: the player stays and is told
click {alley[0]} {alley[1]}
tick 70
expect level == "bridge"
expect message contains "could not be saved"
click 512 456
tick 2
expect visible !contains wnd_msg
# the menu saves on the way
click 90 747
tick 5
expect visible contains wnd_menu
expect message contains "could not be saved"
click 512 456
tick 2
# the options' OK saves
click 256 664
tick 2
click 512 552
tick 2
expect message contains "could not be saved"
click 512 456
tick 2
# and play goes on where the player was
click 512 536
tick 70
expect level == "bridge"
expect inventory.0.name == "wooden_stick"
dump end.json
quit
"""


def snapshot(folder):
    return {p.relative_to(folder): p.read_bytes() for p in folder.rglob("*") if p.is_file()}


def main():
    game, work = os.path.abspath(sys.argv[1]), pathlib.Path(sys.argv[2]).resolve()
    if os.geteuid() != 0:
        print("skipped: mounting a small file system needs root")
        return SKIPPED
    disk = work / "disk"
    # A run stopped half-way may have left its file system mounted.
    subprocess.run(["umount", str(disk)], capture_output=True)
    shutil.rmtree(work, ignore_errors=True)
    disk.mkdir(parents=True)
    mount = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=4m", "tmpfs", str(disk)],
                           capture_output=True, text=True)
    if mount.returncode != 0:
        print("skipped: no small file system can be mounted here: " + mount.stderr.strip())
        return SKIPPED
    try:
        return run(game, work, disk)
    finally:
        subprocess.run(["umount", str(disk)])


def run(game, work, disk):
    saves.make_player(disk, os.path.dirname(game), "bridge")
    before = snapshot(disk)
    filler = os.open(disk / "filler", os.O_WRONLY | os.O_CREAT, 0o644)
    for size in (65536, 4096, 512, 1):
        try:
            while True:
                os.write(filler, b"\0" * size)
        except OSError:
            pass
    os.close(filler)
    script = work / "full_disk.qms"
    game_dir = os.path.dirname(game)
    script.write_text(SCRIPT.format(stick=saves.place(game_dir, "bridge", "q_wooden_stick"),
                                    alley=saves.place(game_dir, "bridge", "q_alley")))
    result = saves.run_game(game, disk, script)
    faults = []
    # A game that stops early ends its script with status 0 too.
    if not (work / "end.json").exists():
        faults.append("the game ended before the script did")
    if result.returncode != 0:
        faults.append("the game ended with status %d: %s" % (result.returncode,
                                                            (result.stdout + result.stderr).strip()))
    (disk / "filler").unlink()
    after = snapshot(disk)
    for name, data in before.items():
        if after.get(name) != data:
            faults.append("%s changed" % name)
    left = [str(name) for name in after if name not in before]
    if left:
        faults.append("files left behind: %s" % ", ".join(left))
    if faults:
        print("\n".join(faults))
        return 1
    print("full disk: the player was told, stayed on the bridge, and no saved file changed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
