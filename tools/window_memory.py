#!/usr/bin/env python3
"""The game's memory in a real window, measured from outside.

Starts a virtual X server (Xvfb), starts the game in a 1024 x 768 window on
it with a player standing in the hotel, clicks through the menu and walks the
hotel and its neighbours (hotel, alley, bridge and back, twice) with xdotool,
sampling the resident set of the process all the while. Prints the peak
resident set (VmHWM), where it was reached, and where the resident memory of
the running game lies at the end (from /proc/PID/smaps): libraries, the
heap and anonymous memory, stacks; and the game's processor time and frame
rate (from its log) over the walk.

    tools/window_memory.py [--game build/game] [--renderer software|accelerated]

The audio device is SDL's "dummy" one unless SDL_AUDIODRIVER says otherwise:
a virtual X server has no sound card, and without a device the game would
not decode its sound effects at all, which no player's machine does.
Needs Xvfb and xdotool. Exit status 1 when the game could not be walked.
"""

import argparse
import collections
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

PLAYER = "Ada"
# Where the player clicks, in the game's 1024 x 768 screen, and how long the
# player looks around afterwards (seconds). The splash shows two logos
# while it loads; each click on it brings the end nearer.
WALK = [
    ("splash", None, 4.0),
    ("splash", (512, 384), 1.0),
    ("menu", (512, 384), 4.0),
    ("hotel", (512, 536), 4.0),  # Play
    ("alley", (768, 380), 4.0),  # the hotel's door to the alley
    ("bridge", (512, 400), 4.0),  # the path to the bridge
    ("alley", (90, 470), 4.0),
    ("hotel", (110, 330), 4.0),
    ("alley", (768, 380), 4.0),
    ("bridge", (512, 400), 4.0),
    ("alley", (90, 470), 4.0),
    ("hotel", (110, 330), 4.0),
]


def make_home(game, home):
    """A player who had the guide's tour, standing in the hotel, whose alley
    already has the path to the bridge open."""
    folder = os.path.join(home, "Quillmoor", "Moorhouse")
    for kind in ("levels", "scenes"):
        mine = os.path.join(folder, PLAYER, kind)
        os.makedirs(mine)
        shipped = os.path.join(game, "data", kind)
        for name in os.listdir(shipped):
            if name.endswith(".cfg"):
                shutil.copy(os.path.join(shipped, name), mine)
    with open(os.path.join(folder, "data.ini"), "w", newline="") as ini:
        ini.write(
            "[ players ]\r\nopt_plist = Ada\r\nopt_player = Ada\r\n\r\n[ Ada ]\r\n"
            "opt_mvolume = 75\r\nopt_svolume = 75\r\nopt_evolume = 75\r\n"
            "opt_fullscreen = FALSE\r\nopt_ccursor = TRUE\r\nopt_tut = TRUE\r\n"
            "opt_inum = 8\r\nlev_current = hotel\r\n")
    alley = os.path.join(folder, PLAYER, "levels", "alley.cfg")
    with open(alley, newline="") as f:
        lines = f.read().split("\r\n")
    count = int(lines[0])
    body = [line for line in lines[1:1 + 4 * count]]
    body += ["q_bridge", "512", "400", "area"]
    with open(alley, "w", newline="") as f:
        f.write("\r\n".join([str(count + 1)] + body) + "\r\n")


def start_x():
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as f:
        number = f.readline().strip()
    if not number:
        server.kill()
        sys.exit("window_memory: Xvfb did not start")
    return server, ":" + number


def status_kb(pid, field):
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith(field + ":"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def cpu_seconds(pid):
    """User and system time the process has used so far."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def smaps_groups(pid):
    """Resident kB by what the memory is: each library by name, the heap,
    anonymous memory, stacks."""
    groups = collections.Counter()
    name = None
    header = re.compile(r"^[0-9a-f]+-[0-9a-f]+ ")
    with open(f"/proc/{pid}/smaps") as f:
        for line in f:
            if header.match(line):
                parts = line.split(None, 5)
                path = parts[5].strip() if len(parts) > 5 else ""
                if path == "":
                    name = "anonymous (malloc arenas and large blocks)"
                elif path.startswith("["):
                    name = "[stack]" if path.startswith("[stack") else path
                else:
                    base = os.path.basename(path)
                    name = re.sub(r"\.so[.0-9]*$", ".so", base)
            elif line.startswith("Rss:"):
                groups[name] += int(line.split()[1])
    return groups


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--game", default=os.path.join(here, "..", "build", "game"))
    parser.add_argument("--renderer", choices=("software", "accelerated"),
                        help="force a renderer (QUILLMOOR_RENDERER); the game chooses otherwise")
    parser.add_argument("--shots", help="folder for a picture of the screen after each step "
                        "(needs ImageMagick's import)")
    args = parser.parse_args()
    game = os.path.abspath(args.game)
    for tool in ("Xvfb", "xdotool"):
        if shutil.which(tool) is None:
            sys.exit(f"window_memory: {tool} is not installed")

    home = tempfile.mkdtemp(prefix="quillmoor_memory_")
    server, display = start_x()
    env = dict(os.environ, DISPLAY=display, XDG_DATA_HOME=home)
    env.setdefault("SDL_AUDIODRIVER", "dummy")
    if args.renderer:
        env["QUILLMOOR_RENDERER"] = args.renderer
    make_home(game, home)
    program = subprocess.Popen([os.path.join(game, "quillmoor"), "--windowed", "--log", "--root",
                                game, "--home", home], env=env)
    pid = program.pid
    ok = True
    peaks = []
    try:
        for place, click, wait in WALK:
            if click is not None:
                # Looked up at every click: the renderer may make the window
                # anew when it starts.
                window = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--pid",
                                         str(pid)], env=env, capture_output=True, text=True,
                                        timeout=30).stdout.split()
                if not window:
                    raise RuntimeError("no window")
                subprocess.run(["xdotool", "mousemove", "--window", window[-1], str(click[0]),
                                str(click[1]), "click", "1"], env=env, check=True)
            highest = 0
            until = time.monotonic() + wait
            while time.monotonic() < until:
                if program.poll() is not None:
                    raise RuntimeError("the game ended early")
                highest = max(highest, status_kb(pid, "VmRSS"))
                time.sleep(0.05)
            peaks.append((place, highest))
            if args.shots:
                os.makedirs(args.shots, exist_ok=True)
                shot = os.path.join(args.shots, f"{len(peaks):02}_{place}.png")
                subprocess.run(["import", "-window", "root", shot], env=env, check=True)
        cpu = cpu_seconds(pid)
        hwm = status_kb(pid, "VmHWM")
        rss = status_kb(pid, "VmRSS")
        groups = smaps_groups(pid)
        with open(f"/proc/{pid}/maps") as f:
            renderer = "accelerated (OpenGL)" if re.search(r"libGL|_dri\.so", f.read()) \
                else "software"
        # Closed as a player closes it, so that the log gets its last lines.
        subprocess.run(["xdotool", "key", "--window", window[-1], "alt+F4"], env=env)
        program.wait(timeout=20)
        fps = ""
        with open(os.path.join(home, "Quillmoor", "Moorhouse", "log.txt"), errors="replace") as f:
            for line in f:
                if "Average FPS" in line:
                    fps = line.split("Average FPS:")[1].strip()
    except (RuntimeError, subprocess.SubprocessError, OSError) as error:
        print(f"window_memory: {error}", file=sys.stderr)
        ok = False
    finally:
        program.terminate()
        try:
            program.wait(timeout=10)
        except subprocess.TimeoutExpired:
            program.kill()
            program.wait()
        server.terminate()
        server.wait()
        shutil.rmtree(home, ignore_errors=True)
    if not ok:
        return 1

    print(f"renderer: {renderer}")
    print("highest resident set while in each place (MB):")
    for place, kb in peaks:
        print(f"  {place:8} {kb / 1024:7.1f}")
    print(f"processor time of the game over the walk: {cpu:.1f} s "
          f"({sum(wait for _, _, wait in WALK):.0f} s played), {fps} frames a second")
    print(f"peak resident set (VmHWM): {hwm / 1024:.1f} MB; at the end {rss / 1024:.1f} MB")
    print("resident at the end, by mapping (MB):")
    libraries = sum(kb for name, kb in groups.items() if ".so" in name)
    for name, kb in groups.most_common(12):
        print(f"  {kb / 1024:7.1f}  {name}")
    print(f"  {libraries / 1024:7.1f}  all libraries together")
    return 0


if __name__ == "__main__":
    sys.exit(main())
