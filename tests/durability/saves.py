"""What the kill test and the full-disk test share: a player "Ada" set up in a
per-user folder, an automation script that walks, picks things up, goes to
the menu and back and saves the options, and the checks that a saved game is
whole — data.ini reads, every level and scene copy reads, the player is
listed, and no item is lost from both its level and the inventory."""

import os
import pathlib
import re
import subprocess

SAVE_FOLDER = "Moorhouse"
PLAYER = "Ada"
# Items the walk picks up, by the level that holds them.
ITEMS = {"lodge": "glove", "bridge": "wooden_stick"}


def profile_folder(home):
    return pathlib.Path(home) / "Quillmoor" / SAVE_FOLDER


def make_player(home, game_dir, level):
    """A player who has been nowhere yet, standing in `level`, with the guide
    already offered (so no window holds the walk up)."""
    folder = profile_folder(home)
    for kind in ("levels", "scenes"):
        (folder / PLAYER / kind).mkdir(parents=True, exist_ok=True)
        for shipped in sorted((pathlib.Path(game_dir) / "data" / kind).glob("*.cfg")):
            (folder / PLAYER / kind / shipped.name).write_bytes(shipped.read_bytes())
    (folder / "data.ini").write_bytes(
        ("[ players ]\r\nopt_plist = Ada\r\nopt_player = Ada\r\n\r\n[ Ada ]\r\n"
         "opt_mvolume = 75\r\nopt_svolume = 75\r\nopt_evolume = 75\r\nopt_fullscreen = TRUE\r\n"
         "opt_ccursor = TRUE\r\nopt_tut = TRUE\r\nopt_inum = 0\r\nlev_current = %s\r\n" % level)
        .encode())


def place(game_dir, level, name):
    """The centre of object `name` in the shipped file of `level`. Places are
    pinned there against the painting, so the walk follows them wherever a
    designer moves them. A level file is the object count, then name, x, y
    and kind of each object, one a line."""
    words = (pathlib.Path(game_dir) / "data" / "levels" / (level + ".cfg")).read_text().split()
    for i in range(1, len(words) - 3, 4):
        if words[i] == name:
            return round(float(words[i + 1])), round(float(words[i + 2]))
    raise LookupError("%s has no %s" % (level, name))


def walk(game_dir, here, level):
    x, y = place(game_dir, here, "q_" + level)
    return ["move %d %d" % (x, y), "tick 1", "expect hover == \"q_%s\"" % level,
            "click %d %d" % (x, y), "tick 70", "expect level == \"%s\"" % level]


def pick(game_dir, here, item, slot):
    x, y = place(game_dir, here, "q_" + item)
    return ["click %d %d" % (x, y), "tick 1",
            "expect inventory.%d.name == \"%s\"" % (slot, item), "tick 150"]


def menu_and_back(with_options):
    lines = ["click 90 747", "tick 5", "expect visible contains wnd_menu"]
    if with_options:
        # The options window's OK saves the profile.
        lines += ["click 256 664", "tick 2", "expect visible contains wnd_opt",
                  "click 512 552", "tick 2"]
    return lines + ["click 512 536", "tick 70", "expect visible contains wnd_game"]


def walking_script(game_dir, rounds):
    """From the crossroad, once its ghost is let go: rounds through the
    cemetery and the lodge (the glove is taken on the first), each back
    through the menu, then the bridge with its stick and on to the hotel and
    back and forth."""
    lines = ["tick 601", "click 512 536", "tick 70", "expect level == \"crossroad\""]
    # The ghost waiting at the crossroad holds the level until she is clicked.
    lines += ["tick 90", "click 560 420", "tick 60", "expect popup.key == \"crossroad_q_shade\""]
    for r in range(rounds):
        lines += walk(game_dir, "crossroad", "cemetery") + walk(game_dir, "cemetery", "lodge")
        if r == 0:
            lines += pick(game_dir, "lodge", "glove", 0)
        lines += walk(game_dir, "lodge", "cemetery") + walk(game_dir, "cemetery", "crossroad")
        lines += menu_and_back(with_options=r % 2 == 0)
    lines += walk(game_dir, "crossroad", "bridge") + pick(game_dir, "bridge", "wooden_stick", 1)
    lines += walk(game_dir, "bridge", "alley") + walk(game_dir, "alley", "hotel")
    lines += walk(game_dir, "hotel", "alley")
    lines += menu_and_back(with_options=True)
    # The dump shows the script ran to its end: a game that stops early ends
    # the script with status 0 too.
    return "\n".join(lines + ["dump end.json", "quit"]) + "\n"


def run_game(game, home, script, env=None, timeout=120):
    """Runs the game headless on a script; returns the completed process."""
    game_dir = os.path.dirname(game)
    return subprocess.run(
        [game, "--headless", "--seed", "1", "--root", game_dir, "--home", str(home),
         "--script", str(script)],
        capture_output=True, text=True, timeout=timeout, env=env)


def start_game(game, home, script, env=None):
    game_dir = os.path.dirname(game)
    return subprocess.Popen(
        [game, "--headless", "--seed", "1", "--root", game_dir, "--home", str(home),
         "--script", str(script)],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)


# --- The checks of a saved game ------------------------------------------------------

def read_ini(path):
    """data.ini as {section: {key: value}}; raises ValueError on a line that
    is neither blank, a section header nor a key = value pair."""
    sections = {}
    current = None
    text = path.read_bytes().decode("utf-8")
    for number, line in enumerate(text.split("\n"), 1):
        line = line.rstrip("\r").strip()
        if not line:
            continue
        header = re.fullmatch(r"\[\s*([^\]]*?)\s*\]", line)
        if header:
            current = sections.setdefault(header.group(1), {})
        elif "=" in line and current is not None:
            key, value = line.split("=", 1)
            current[key.strip()] = value.strip()
        else:
            raise ValueError("data.ini line %d: %r" % (number, line))
    return sections


def read_object_list(path):
    """The object names of a list file; raises ValueError when it is damaged."""
    lines = path.read_bytes().decode("utf-8").split("\n")
    lines = [line.rstrip("\r") for line in lines]
    count = int(lines[0])
    if len(lines) < 1 + 4 * count:
        raise ValueError("%s: %d objects declared, the file ends early" % (path, count))
    names = []
    for i in range(count):
        names.append(lines[1 + 4 * i])
        float(lines[2 + 4 * i].split()[0])
        float(lines[3 + 4 * i].split()[0])
    return names


def check_saved_game(home, game_dir):
    """A list of faults of the saved game; empty when it is whole."""
    folder = profile_folder(home)
    faults = []
    try:
        ini = read_ini(folder / "data.ini")
    except (OSError, ValueError, UnicodeDecodeError) as error:
        return ["data.ini does not read: %s" % error]
    players = ini.get("players", {}).get("opt_plist", "").split("/")
    if PLAYER not in players or PLAYER not in ini:
        faults.append("the player is gone from data.ini: %r" % ini.get("players"))
    inventory = {v for k, v in ini.get(PLAYER + "_inv", {}).items() if k.startswith("name_")}
    copies = {}
    for kind in ("levels", "scenes"):
        for shipped in (pathlib.Path(game_dir) / "data" / kind).glob("*.cfg"):
            copy = folder / PLAYER / kind / shipped.name
            try:
                copies[(kind, shipped.stem)] = read_object_list(copy)
            except (OSError, ValueError, IndexError, UnicodeDecodeError) as error:
                faults.append("%s/%s does not read: %s" % (kind, shipped.name, error))
    for level, item in ITEMS.items():
        in_level = "q_" + item in copies.get(("levels", level), [])
        if not in_level and item not in inventory:
            faults.append("%s is neither in %s nor in the inventory" % (item, level))
    return faults
