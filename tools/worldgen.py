#!/usr/bin/env python3
"""Writes the world's object lists from the tables below.

Run from the repository root:  python3 tools/worldgen.py
It rewrites content/levels/*.cfg, content/scenes/*.cfg, content/sprites.txt
and content/added_objects.txt. The .cfg files are what the game reads and
what is committed; this script only saves placing a few hundred objects by
hand. The output is the same on every run.

Placement: every object's place is pinned in the files themselves, chosen
against its level's painting: the shipped objects' in content/levels/*.cfg,
the hidden-object things' in content/scenes/*.cfg, the added objects' in
content/added_objects.txt. This script keeps those places and never moves
anything; edit a place in the file and run the script again. An object the
files do not hold yet takes its "pos=" from the table, or the place of the
object it replaces ("at="); without either the script stops and asks for a
place. Exits are checked against the screen region of their walk cursor.
"""

import os
import re
import sys

# Image sizes by kind (width, height).
SIZE = {
    "item": (64, 64),
    "static": (110, 110),
    "cstatic": (110, 110),
    "puzzle": (120, 100),
    "zoomin": (120, 100),
    "ghost": (100, 140),
    "inactive": (90, 90),
    "area": (160, 160),
    "hobject": (100, 100),  # the entrance box; no image
}
CLOSEUP = (512, 384)  # the picture, and so the frame, of every close-up
HO_THING = (56, 56)
HO_OBSTACLE = (100, 84)
HO_TOOL = (64, 64)

# Objects that have no image: pure flags and the level copies of the
# hidden-object obstacles. They draw nothing and need no sprite.
NO_IMAGE = {"hobject", "ghost_catch"}

# ---------------------------------------------------------------------------
# The levels. Each level: exits (name, direction), shipped objects
# (name, kind, description, options) and objects added during play
# (name, kind, added by, description, options).
# Options: "flag" = no image; "at=q_x" = same place as q_x;
# "pos=x,y" = a fixed place; "before=q_x" = listed just before q_x;
# "size=w,h" = a size other than the kind's.
# Shipped order is file order: exits last, so that a quest object is tested
# before an exit that lies behind it (they never overlap anyway).
# ---------------------------------------------------------------------------

LEVELS = {}
ORDER = []


def level(name, exits, shipped, added=(), obstacle=None):
    ORDER.append(name)
    LEVELS[name] = dict(exits=exits, shipped=shipped, added=added,
                        obstacle=obstacle)


level("hotel",
      exits=[("q_alley", "right", "door to the alley")],
      shipped=[
          ("q_lamp", "zoomin", "gas lamp on the wall, its handle missing"),
          ("q_handle", "zoomin", "small drawer of the hotel desk"),
          ("q_floor", "zoomin", "loose floorboard"),
          ("q_case", "puzzle", "old suitcase with a six-digit lock"),
          ("q_picture", "static", "framed picture of a manor"),
          ("q_news", "static", "folded newspaper"),
          ("q_scarecrow_head", "hobject", "entrance: heaped luggage corner"),
          ("q_ipot", "inactive", "flag: the pot in the hidden scene", "flag", "pos=689,506"),
      ],
      added=[
          ("q_open", "inactive", "q_handle", "the drawer pulled open", "at=q_handle"),
          ("q_dark", "inactive", "q_lamp", "flag: the lamp went out", "flag", "pos=0,0"),
          ("numbers", "ghost_catch", "darkness", "ghost of the numbers", "at=q_lamp"),
          ("q_shade", "inactive", "darkness", "flag: an apparition waits", "flag", "pos=0,0"),
          ("q_case2", "inactive", "q_case", "the suitcase lying open", "at=q_case"),
          ("q_axe", "item", "q_case", "an axe, blunt with rust"),
          ("q_silver_spoon", "hobject", "lodge q_letter", "entrance: the dresser"),
          ("q_stash", "inactive", "passage q_symbol", "a hole in the wall behind the picture", "at=q_picture"),
          ("q_picture2", "static", "passage q_symbol", "the picture, taken down and leaning on the wall"),
          ("q_jar", "item", "passage q_symbol", "an empty glass jar"),
      ],
      obstacle=("q_ipot", "lev_pot", "lev_hammer", (689, 506),
                "a heavy clay pot", "a small hammer"))

level("alley",
      exits=[("q_hotel", "left", "door back into the hotel")],
      shipped=[
          ("q_gr", "static", "grindstone without its handle"),
          ("q_pumpkin", "static", "big pumpkin on a high ledge"),
          ("q_tree", "static", "fallen tree across the road"),
          ("q_bed", "zoomin", "withered flower bed"),
          ("q_hollow", "zoomin", "dark hollow in a tree"),
          ("q_roses", "static", "wild roses on the fence"),
      ],
      added=[
          ("q_grhandle", "inactive", "q_gr", "the handle fitted to the grindstone"),
          ("q_sharp", "inactive", "q_gr", "flag: the axe is being sharpened", "flag", "pos=0,0"),
          ("q_fall", "inactive", "q_pumpkin", "flag: the pumpkin falls", "flag", "pos=0,0"),
          ("q_pumpkin3", "inactive", "pumpkin fall", "the smashed pumpkin"),
          ("q_bench", "zoomin", "pumpkin fall", "a broken bench, something glints in it"),
          ("q_path", "inactive", "q_tree", "the tree cut in two, the road clear", "at=q_tree"),
          ("q_bridge", "area", "q_tree", "the road on to the bridge", "exit=forward"),
      ])

level("bridge",
      exits=[("q_alley", "left", "the road back to the alley")],
      shipped=[
          ("q_snakes", "ghost", "ghost of snakes coiled on the bridge"),
          ("q_scare", "static", "headless scarecrow"),
          ("q_cage", "zoomin", "a cat locked in a cage"),
          ("q_boat", "puzzle", "moored boat with a ring lock"),
          ("q_wooden_stick", "item", "a long wooden stick"),
          ("q_fog", "static", "fog over the river"),
      ],
      added=[
          ("snakes", "ghost_catch", "ghost photograph", "ghost of the snakes", "at=q_snakes"),
          ("q_fly", "inactive", "q_scare", "flag: the crows fly off", "flag", "pos=0,0"),
          ("q_shead", "inactive", "q_scare", "the scarecrow with its head back", "at=q_scare"),
          ("q_cage2", "inactive", "q_cage", "the empty open cage", "at=q_cage"),
          ("q_bopen", "inactive", "q_boat", "the boat unlocked", "at=q_boat"),
          ("q_path", "inactive", "q_snakes", "the bridge free of snakes", "at=q_snakes"),
          ("q_crossroad", "area", "q_snakes", "the far end of the bridge", "exit=forward"),
      ])

level("crossroad",
      exits=[("q_bridge", "back", "the way back to the bridge"),
             ("q_cemetery", "forward", "path to the cemetery"),
             ("q_gates", "right", "road to the castle gates")],
      shipped=[
          ("q_heap", "static", "heap of fresh earth"),
          ("q_sign", "static", "weathered signpost"),
          ("q_moon", "puzzle", "old brass telescope aimed at the moon", "pos=675,288"),
          ("q_chest", "zoomin", "iron-bound chest"),
          ("q_iweb", "inactive", "flag: the web in the hidden scene", "flag", "pos=963,256"),
          ("q_shade", "inactive", "flag: an apparition waits", "flag", "pos=0,0"),
      ],
      added=[
          ("q_box", "zoomin", "q_heap", "a small box dug out of the heap"),
          ("cube", "ghost_catch", "q_box", "ghost of the cube", "at=q_heap"),
          ("q_cub", "inactive", "q_moon", "the cube set in the telescope", "pos=675,288", "size=48,48"),
          ("q_obox", "inactive", "q_chest", "the chest standing open", "at=q_chest"),
          ("q_rope_ladder", "hobject", "q_chest", "entrance: the cart by the road"),
          ("q_crypt_key", "item", "lodge q_skeleton", "a heavy crypt key"),
      ],
      obstacle=("q_iweb", "lev_web", "lev_duster", (963, 256),
                "thick spider web", "a feather duster"))

level("gates",
      exits=[("q_crossroad", "back", "the road back to the crossroad")],
      shipped=[
          ("q_plant", "zoomin", "thorny plant grown over the gate"),
          ("q_ln", "static", "lightning rod on the gatepost"),
          ("q_locked", "static", "locked castle gate"),
          ("q_hat", "static", "a hat caught high on the gate"),
          ("q_ff", "static", "fireflies in the grass"),
      ],
      added=[
          ("q_ladder", "inactive", "q_hat", "rope ladder hanging from the gate", "at=q_hat"),
      ])

level("cemetery",
      exits=[("q_crossroad", "back", "the gate back to the crossroad"),
             ("q_lodge", "left", "path to the keeper's lodge"),
             ("q_crypt", "forward", "the crypt entrance")],
      shipped=[
          ("q_plant", "inactive", "ivy grown over the tomb"),
          ("q_tomb", "zoomin", "old tomb"),
          ("q_stash", "zoomin", "loose stone with a carved ankh hole"),
          ("q_clocks", "puzzle", "three clocks set in a gravestone"),
      ],
      added=[
          ("q_shade", "inactive", "lodge q_skeleton", "flag: an apparition waits", "flag", "pos=0,0"),
          ("q_door", "static", "apparition", "the crypt door slammed shut"),
          ("q_stash2", "inactive", "q_stash", "the stash open", "at=q_stash"),
          ("q_topen", "inactive", "q_clocks", "a tomb slab pushed aside"),
      ])

level("lodge",
      exits=[("q_cemetery", "back", "the door out to the cemetery")],
      shipped=[
          ("q_archive", "zoomin", "the keeper's archive drawer"),
          ("q_skeleton", "ghost", "skeleton in a chair"),
          ("q_code", "puzzle", "box with a name lock"),
          ("q_glove", "item", "a thick leather glove"),
          ("q_diary", "static", "the keeper's diary on the table"),
      ],
      added=[
          ("death", "ghost_catch", "q_archive", "ghost of death", "at=q_archive"),
          ("samuel", "ghost_catch", "ghost photograph", "ghost of Samuel", "at=q_skeleton"),
          ("q_case2", "inactive", "q_code", "the name box open", "at=q_code"),
          ("q_letter", "zoomin", "q_code", "a letter in the open box", "at=q_code"),
          ("hector", "ghost_catch", "q_letter", "ghost of Hector", "at=q_code"),
          ("q_s1", "inactive", "q_skeleton", "the skeleton at rest", "at=q_skeleton"),
          ("q_s2", "inactive", "q_skeleton", "the hat on the table"),
          ("q_red", "inactive", "crypt q_woman", "a red glow in the window"),
      ])

level("crypt",
      exits=[("q_cemetery", "back", "stairs up to the cemetery")],
      shipped=[
          ("q_pot1", "static", "row of clay pots"),
          ("q_dress", "static", "stone statue of a woman, veiled"),
          ("q_iwires", "inactive", "flag: the wires in the hidden scene", "flag", "pos=888,585"),
          ("q_trowel", "hobject", "entrance: the burial niche"),
          ("q_gustav2", "static", "photograph of Gustav on a coffin"),
      ],
      added=[
          ("q_urn", "zoomin", "q_pot1", "an urn behind the pots", "at=q_pot1"),
          ("q_dress1", "inactive", "q_dress", "the veil torn away"),
          ("q_woman", "zoomin", "q_dress", "the woman's stone face"),
          ("q_shade", "inactive", "q_woman", "flag: an apparition waits", "flag", "pos=0,0"),
          ("q_passage", "area", "q_woman", "a passage behind the statue", "exit=forward"),
          ("q_light_bulb", "hobject", "q_woman", "entrance: the ossuary shelf"),
          ("gustav2", "ghost_catch", "q_gustav2", "Gustav's photograph", "at=q_gustav2"),
      ],
      obstacle=("q_iwires", "lev_wires", "lev_pliers", (888, 585),
                "tangle of live wires", "a pair of pliers"))

level("passage",
      exits=[("q_crypt", "left", "the way back to the crypt"),
             ("q_basement", "right", "steps down to the basement")],
      shipped=[
          ("q_stone", "static", "stone slab on the floor"),
          ("q_mhole", "zoomin", "mouse hole in the wall"),
          ("q_tbear", "zoomin", "a child's teddy bear"),
          ("q_amber", "zoomin", "a block of amber"),
          ("q_gustav3", "static", "photograph of Gustav in a niche"),
      ],
      added=[
          ("q_stone2", "inactive", "q_stone", "the slab pried up"),
          ("q_saw", "item", "q_stone", "a small saw"),
          ("q_symbol", "static", "q_stone", "a symbol scratched under the slab"),
          ("symbol", "ghost_catch", "q_symbol", "ghost of the symbol", "at=q_stone"),
          ("q_pika", "inactive", "q_mhole", "a mouse nibbling cheese", "at=q_mhole"),
          ("gustav3", "ghost_catch", "q_gustav3", "Gustav's photograph", "at=q_gustav3"),
      ])

level("basement",
      exits=[("q_passage", "left", "the steps back to the passage")],
      shipped=[
          ("q_dark", "static", "pitch darkness", "size=300,260", "pos=560,340"),
          ("q_lad1", "static", "broken ladder"),
          ("q_trigger", "zoomin", "a niche with a hidden trigger"),
          ("q_elevator", "zoomin", "a lift box on a chain"),
          ("q_cpanel", "puzzle", "control panel of a machine"),
          ("q_gear2", "static", "big rusty gear"),
      ],
      added=[
          ("q_engine", "inactive", "q_cpanel", "the machine running"),
          ("q_lb", "inactive", "q_cpanel", "a light bulb burning", "at=q_cpanel"),
          ("q_chisel", "item", "q_cpanel", "a chisel"),
          ("q_trigger2", "inactive", "q_trigger", "the trigger pulled", "at=q_trigger"),
          ("q_lad", "inactive", "q_trigger", "a sound ladder let down", "at=q_lad1"),
          ("q_library", "area", "q_trigger", "the ladder up to the library", "exit=forward"),
          ("q_box", "inactive", "laboratory q_gear", "the lift box come down"),
      ])

level("library",
      exits=[("q_basement", "back", "the trapdoor down to the basement")],
      shipped=[
          ("q_statue", "zoomin", "bronze statue holding something"),
          ("q_shelf", "zoomin", "shelf with a gap for a book"),
          ("q_ropes", "puzzle", "four bell ropes"),
          ("q_sclock", "static", "standing clock"),
          ("q_brick", "static", "loose bricks in the wall"),
          ("q_isec", "inactive", "flag: the secretary in the hidden scene", "flag", "pos=614,446"),
          ("q_garden_pruners", "hobject", "entrance: the reading desk"),
          ("q_pencil", "zoomin", "writing case"),
          ("q_sbook", "zoomin", "a book of spells on a lectern"),
      ],
      added=[
          ("q_door", "inactive", "q_brick", "a hidden door behind the bricks", "at=q_brick"),
          ("q_stairs", "area", "q_brick", "the door to the stairs", "exit=forward"),
          ("q_gear", "hobject", "gates q_plant", "entrance: the map table"),
      ],
      obstacle=("q_isec", "lev_sec", "lev_key", (614, 446),
                "locked secretary desk", "a small brass key"))

level("stairs",
      exits=[("q_library", "back", "the way back to the library"),
             ("q_laboratory", "left", "door to the laboratory")],
      shipped=[
          ("q_taste", "zoomin", "door with a tasting lock"),
          ("q_vase", "zoomin", "tall vase"),
          ("q_ball", "zoomin", "a ball of wool on the newel post"),
          ("q_brother", "static", "portrait of a stern brother"),
      ],
      added=[
          ("q_door", "inactive", "q_taste", "the door open", "at=q_taste"),
          ("q_hall", "area", "q_taste", "the great hall above", "exit=forward"),
          ("q_meat", "inactive", "q_ball", "the wool cut open", "at=q_ball"),
          ("q_com", "inactive", "q_brother", "the empty picture hook"),
          ("q_fall", "inactive", "q_brother", "flag: the picture falls", "flag", "pos=0,0"),
          ("q_liquid", "puzzle", "q_brother", "flasks of coloured liquid"),
          ("q_com2", "inactive", "picture fall", "the fallen picture"),
      ])

level("laboratory",
      exits=[("q_stairs", "right", "the door back to the stairs")],
      shipped=[
          ("q_gear", "zoomin", "machine missing a gear"),
          ("q_k2", "inactive", "a knife stuck in the bench"),
          ("q_knife", "zoomin", "a drawer stuck shut"),
          ("q_spray", "zoomin", "locked cupboard"),
          ("q_pipe", "zoomin", "tangle of pipes"),
          ("q_skull", "puzzle", "skull-shaped mould"),
          ("q_magnet", "item", "a horseshoe magnet"),
          ("q_dipper", "item", "a ladle for molten metal"),
          ("q_machine", "zoomin", "papers about the machine"),
          ("q_equations", "static", "blackboard of equations"),
      ],
      added=[
          ("q_ngear", "inactive", "q_gear", "the new gear in place", "at=q_gear"),
          ("q_gr", "inactive", "q_gear", "the machine's wheels turning"),
          ("q_spray2", "inactive", "q_spray", "the cupboard open", "at=q_spray"),
          ("q_sspray", "zoomin", "q_spray", "shelf of sprays"),
          ("q_pipe2", "inactive", "q_pipe", "the pipes opened", "at=q_pipe"),
      ])

level("hall",
      exits=[("q_stairs", "back", "the stairs down"),
             ("q_kitchen", "left", "door to the kitchen"),
             ("q_yard", "right", "door to the yard"),
             ("q_hallway", "forward", "archway to the hallway")],
      shipped=[
          ("q_snake", "zoomin", "snake statue with an empty mouth"),
          ("q_blood", "zoomin", "bowl under a sleeping bat"),
          ("q_face", "ghost", "ghost face in the mirror"),
          ("q_bugs", "puzzle", "tiles with bug tracks"),
          ("q_bat", "static", "bat hanging from a beam"),
          ("q_gustav4", "static", "photograph of Gustav on the mantel"),
          ("q_chair", "zoomin", "armchair with a torn cushion"),
          ("q_weapons", "static", "crossed swords on the wall"),
      ],
      added=[
          ("face", "ghost_catch", "ghost photograph", "ghost of the mirror", "at=q_face"),
          ("csymbol_blue", "ghost_catch", "q_face", "the blue symbol", "at=q_face"),
          ("q_bs", "inactive", "q_face", "a blue symbol on the clean mirror", "at=q_face"),
          ("q_bat2", "inactive", "q_blood", "the bat flown", "at=q_bat"),
          ("gustav4", "ghost_catch", "q_gustav4", "Gustav's photograph", "at=q_gustav4"),
      ])

level("kitchen",
      exits=[("q_hall", "back", "the door back to the hall")],
      shipped=[
          ("q_cab", "zoomin", "cupboard tied with wire"),
          ("q_parrot", "zoomin", "a parrot in a cage"),
          ("q_picture", "puzzle", "picture in pieces on the wall"),
          ("q_pot1", "static", "a big cooking pot"),
          ("q_itoad", "inactive", "flag: the toad in the hidden scene", "flag", "pos=452,548"),
          ("q_knob", "hobject", "entrance: the cluttered table"),
          ("q_dishes", "static", "stack of dirty dishes"),
      ],
      added=[
          ("q_cab2", "inactive", "q_cab", "the cupboard open", "at=q_cab"),
          ("q_seeds", "item", "q_pot1", "a bag of seeds"),
          ("q_cheese", "hobject", "hallway q_wall", "entrance: the larder"),
      ],
      obstacle=("q_itoad", "lev_toad", "lev_stick", (452, 548),
                "a fat toad", "a stick"))

level("yard",
      exits=[("q_hall", "left", "the door back to the hall")],
      shipped=[
          ("q_kennel", "zoomin", "kennel with a hungry dog"),
          ("q_well", "zoomin", "old well with a rusty winch"),
          ("q_cube", "puzzle", "stone block with buttons"),
          ("q_gustav5", "static", "photograph of Gustav on the wall"),
          ("q_nippers", "zoomin", "toolbox"),
      ],
      added=[
          ("q_dog", "inactive", "q_kennel", "the dog chewing a bone", "at=q_kennel"),
          ("q_well1", "inactive", "q_well", "the well's bucket up", "at=q_well"),
          ("q_rs", "inactive", "q_cube", "a red symbol on the block", "at=q_cube"),
          ("csymbol_red", "ghost_catch", "q_cube", "the red symbol", "at=q_cube"),
          ("gustav5", "ghost_catch", "q_gustav5", "Gustav's photograph", "at=q_gustav5"),
      ])

level("hallway",
      exits=[("q_hall", "back", "the way back to the hall"),
             ("q_cabinet", "left", "door to the cabinet"),
             ("q_terrace", "right", "door to the terrace")],
      shipped=[
          ("q_statuettes", "puzzle", "shelf of statuettes"),
          ("q_mwall", "inactive", "a panelled wall", "pos=512,300", "size=200,160"),
      ],
      added=[
          ("q_wall", "zoomin", "q_statuettes", "the bare wall behind the panels", "at=q_mwall"),
          ("q_open", "inactive", "q_statuettes", "flag: the wall slides away", "flag", "pos=0,0"),
          ("q_spell", "static", "q_statuettes", "a spell written on the wall"),
          ("q_hole", "inactive", "q_wall", "a hole blown in the wall", "at=q_mwall"),
          ("q_shade", "inactive", "q_wall", "flag: an apparition waits", "flag", "pos=0,0"),
          ("q_forge", "area", "q_wall", "the hole through to the forge", "exit=forward"),
      ])

level("terrace",
      exits=[("q_hallway", "back", "the door back to the hallway")],
      shipped=[
          ("q_birds", "zoomin", "empty bird feeder"),
          ("q_mbox", "zoomin", "music box"),
          ("q_spyglass", "puzzle", "spyglass on a stand"),
          ("q_gargoyle", "static", "stone gargoyle"),
      ],
      added=[
          ("q_birds2", "inactive", "q_birds", "birds at the feeder", "at=q_birds"),
          ("csymbol_green", "ghost_catch", "q_spyglass", "the green symbol", "at=q_spyglass"),
      ])

level("cabinet",
      exits=[("q_hallway", "right", "the door back to the hallway")],
      shipped=[
          ("q_matches", "zoomin", "locked desk drawer"),
          ("q_symbols", "zoomin", "safe with a colour lock"),
          ("q_amake", "zoomin", "amulet press"),
          ("q_ibox", "inactive", "flag: the box in the hidden scene", "flag", "pos=89,595"),
          ("q_bone", "hobject", "entrance: the collector's shelves"),
          ("q_gustav6", "static", "photograph of Gustav on the desk"),
          ("q_sketch", "zoomin", "sketchbook"),
          ("q_blueprint", "static", "pinned blueprint"),
      ],
      added=[
          ("q_m2", "inactive", "q_matches", "the drawer open", "at=q_matches"),
          ("q_sym2", "inactive", "q_symbols", "the safe open", "at=q_symbols"),
          ("q_coin", "hobject", "hallway q_wall", "entrance: the curio case"),
          ("gustav6", "ghost_catch", "q_gustav6", "Gustav's photograph", "at=q_gustav6"),
      ],
      obstacle=("q_ibox", "lev_box", "lev_cutter", (89, 595),
                "box bound with wire", "wire cutters"))

level("forge",
      exits=[("q_hallway", "left", "the hole back to the hallway"),
             ("q_backyard", "right", "door to the back yard")],
      shipped=[
          ("q_hand", "zoomin", "stone hand, fingers curled"),
          ("q_vice", "zoomin", "rusted vice"),
          ("q_casket", "puzzle", "iron casket"),
          ("q_fire", "ghost", "ghost in the cold hearth"),
          ("q_gramophone_record", "item", "a gramophone record"),
          ("q_sphere", "static", "a cracked glass sphere"),
      ],
      added=[
          ("fire", "ghost_catch", "ghost photograph", "ghost of the fire", "at=q_fire"),
          ("q_cas2", "inactive", "q_casket", "the casket open", "at=q_casket"),
      ])

level("attic",
      exits=[("q_backyard", "back", "the steps down to the back yard")],
      shipped=[
          ("q_cards", "zoomin", "card table"),
          ("q_wfloor", "zoomin", "nailed-down floorboards"),
          ("q_net", "zoomin", "a net hanging from a beam"),
          ("q_gramophone", "zoomin", "gramophone without arm or record"),
          ("q_ilid", "inactive", "flag: the lid in the hidden scene", "flag", "pos=545,514"),
          ("q_mining_pick", "hobject", "entrance: the heap of old trunks"),
          ("q_gust", "static", "curtain moving in a draught"),
      ],
      added=[
          ("q_s2", "inactive", "q_cards", "cards laid out", "at=q_cards"),
          ("q_fl", "inactive", "q_wfloor", "the floorboards up", "at=q_wfloor"),
          ("q_triangular_button", "hobject", "stonehenge q_altar", "entrance: the wardrobe"),
      ],
      obstacle=("q_ilid", "lev_lid", "lev_sd", (545, 514),
                "a screwed-down lid", "a screwdriver"))

level("backyard",
      exits=[("q_forge", "left", "door back to the forge"),
             ("q_attic", "forward", "steps up to the attic"),
             ("q_stonehenge", "right", "path to the stone circle")],
      shipped=[
          ("q_stair", "zoomin", "broken stone stair"),
          ("q_ring", "zoomin", "iron ring in a stone"),
          ("q_card", "zoomin", "coin slot in a post"),
          ("q_jaws", "zoomin", "stone jaws"),
          ("q_mball", "puzzle", "ball mechanism"),
      ],
      added=[
          ("q_st2", "inactive", "q_stair", "the stair dug free", "at=q_stair"),
      ])

level("stonehenge",
      exits=[("q_backyard", "left", "the path back to the back yard")],
      shipped=[
          ("q_coal", "zoomin", "glowing coals in a pit"),
          ("q_barrel", "zoomin", "rain barrel"),
          ("q_altar", "zoomin", "altar with five sockets"),
          ("q_stone", "static", "a leaning standing stone"),
          ("q_ifire", "inactive", "flag: the fire in the hidden scene", "flag", "pos=954,564"),
          ("q_adamant_stone", "hobject", "entrance: the fallen lintel"),
          ("q_artifical_eye", "hobject", "entrance: the druid's cairn"),
          ("q_gustav7", "static", "photograph of Gustav on a stone"),
          ("q_sky", "static", "strange stars overhead"),
      ],
      added=[
          ("q_st2", "inactive", "q_stone", "the stone dug out", "at=q_stone"),
          ("q_hook", "item", "q_stone", "an iron hook"),
          ("q_blue", "inactive", "q_altar", "blue light on the altar"),
          ("q_yellow", "inactive", "q_altar", "yellow light on the altar"),
          ("q_green", "inactive", "q_altar", "green light on the altar"),
          ("q_red", "inactive", "q_altar", "red light on the altar"),
          ("q_crystal", "inactive", "q_altar", "the crystal alight"),
          ("q_stairs", "inactive", "q_altar", "steps opened in the ground"),
          ("q_hroom", "area", "q_altar", "steps down to the hidden room", "exit=back"),
          ("gustav7", "ghost_catch", "q_gustav7", "Gustav's photograph", "at=q_gustav7"),
      ],
      obstacle=("q_ifire", "lev_fire", "lev_water", (954, 564),
                "a ring of fire", "a bucket of water"))

level("hroom",
      exits=[("q_stonehenge", "forward", "steps back up to the stone circle")],
      shipped=[
          ("q_meye", "zoomin", "mechanical eye with an empty socket"),
          ("q_terminal", "puzzle", "the terminal"),
          ("q_shade", "static", "a shade guarding the room"),
          ("q_gustav", "ghost", "Gustav's ghost"),
      ],
      added=[
          ("gustav", "ghost_catch", "ghost photograph", "ghost of Gustav", "at=q_gustav"),
      ])

level("flight",
      exits=[("q_hotel", "forward", "the road back to the hotel")],
      shipped=[])

STORY_SCREENS = ["intro", "outro", "credits"]

# Shipped objects that are removed and later added again at their old place.
READDED = {
    "cemetery": [("q_crypt", "q_door")],
    "stonehenge": [("q_artifical_eye", "hroom q_meye")],
}

# ---------------------------------------------------------------------------
# Hidden-object scenes: the level, then per group the key's reward and the
# eleven things to find. Group 0's key is the one behind the obstacle.
# ---------------------------------------------------------------------------

SCENES = {
    "hotel": [
        ("scarecrow_head", ["candle", "teapot", "umbrella", "pocket_watch", "top_hat",
                            "key_ring", "bell", "inkwell", "reading_glasses", "horseshoe",
                            "thimble"]),
        ("silver_spoon", ["quill", "postcard", "brooch", "dice", "compass", "mirror",
                          "pipe", "button", "feather", "teacup", "perfume"]),
    ],
    "crossroad": [
        ("rope_ladder", ["lantern", "milestone", "cart_wheel", "pitchfork", "bucket",
                         "scythe", "crow", "boot", "rope", "bottle", "horseshoe"]),
    ],
    "crypt": [
        ("trowel", ["candlestick", "skull", "chalice", "bones", "rosary", "bell",
                    "coffin_nail", "cross", "urn_lid", "rat", "spider"]),
        ("light_bulb", ["lantern", "book", "dagger", "goblet", "chain", "mask",
                        "purse", "hourglass", "ring_box", "bat", "crown"]),
    ],
    "library": [
        ("garden_pruners", ["globe", "quill", "inkwell", "scroll", "magnifier", "bookmark",
                            "candle", "owl", "hourglass", "letter_opener", "map"]),
        ("gear", ["abacus", "compass", "reading_glasses", "seal", "telescope", "chess_knight",
                  "pen", "ruler", "bust", "key", "clock"]),
    ],
    "kitchen": [
        ("knob", ["ladle", "kettle", "rolling_pin", "salt_cellar", "garlic", "fork",
                  "onion", "mug", "whisk", "pepper_mill", "apple"]),
        ("cheese", ["bread", "carrot", "egg_cup", "sieve", "funnel", "grater",
                    "honey_pot", "spoon", "pear", "jug", "cleaver"]),
    ],
    "cabinet": [
        ("bone", ["microscope", "skull", "butterfly", "stamp", "letter", "globe",
                  "lamp", "compass", "scales", "pen", "medal"]),
        ("coin", ["pipe", "monocle", "envelope", "candle", "chess_pawn", "dice",
                  "magnifier", "wax_seal", "ink_pot", "clock_key", "feather"]),
    ],
    "attic": [
        ("mining_pick", ["doll", "rocking_horse", "lamp", "hatbox", "violin", "broom",
                         "birdcage", "umbrella", "teddy", "hourglass", "trunk_key"]),
        ("triangular_button", ["spinning_top", "shoe", "gloves", "frame", "bottle", "vase",
                               "bellows", "mouse", "horn", "tin_soldier", "mask"]),
    ],
    "stonehenge": [
        ("adamant_stone", ["rune_stone", "mistletoe", "sickle", "torch", "raven", "antler",
                           "drum", "bowl", "amulet", "moon_disc", "feather"]),
        ("artifical_eye", ["staff", "horn", "skull", "herbs", "crystal", "wreath",
                           "acorn", "bell", "candle", "mask", "shell"]),
    ],
}

# ---------------------------------------------------------------------------


def fail(msg):
    sys.stderr.write("worldgen: " + msg + "\n")
    sys.exit(1)


def opts(entry, start):
    out = {}
    for o in entry[start:]:
        if "=" in o:
            k, v = o.split("=", 1)
            out[k] = v
        else:
            out[o] = True
    return out


def pair(text):
    a, b = text.split(",")
    return (int(a), int(b))


def read_places(path):
    """Name -> (x, y) of an object list (first block of a name wins)."""
    places = {}
    if not os.path.exists(path):
        return places
    with open(path, newline="") as f:
        lines = f.read().replace("\r\n", "\n").split("\n")
    count = int(lines[0]) if lines and lines[0].strip() else 0
    for i in range(count):
        name, x, y = lines[1 + 4 * i], lines[2 + 4 * i], lines[3 + 4 * i]
        places.setdefault(name, (int(x), int(y)))
    return places


def read_added_places(path):
    """(level, name) -> (x, y) of content/added_objects.txt."""
    places = {}
    if not os.path.exists(path):
        return places
    for line in open(path):
        if line.startswith("#") or not line.strip():
            continue
        level_name, name, x, y = line.split()[:4]
        places.setdefault((level_name, name), (int(x), int(y)))
    return places


def walk_of(name, x, y):
    """The walk cursor the game shows over an exit at (x, y)."""
    if name == "q_hroom":
        return "back"
    if x < 256:
        return "left"
    if x >= 768:
        return "right"
    return "forward" if y < 480 else "back"


class Obj:
    def __init__(self, name, kind, desc, o, added_by=None):
        self.name, self.kind, self.desc, self.o = name, kind, desc, o
        self.added_by = added_by
        self.size = pair(o["size"]) if "size" in o else SIZE.get(kind, (90, 90))
        self.image = not ("flag" in o or kind in NO_IMAGE)
        self.x = self.y = None


def layout(lname, sheet, pinned, pinned_added):
    objs = {}
    shipped = [Obj(e[0], e[1], e[2], opts(e, 3)) for e in sheet["shipped"]]
    added = [Obj(e[0], e[1], e[3], opts(e, 4), e[2]) for e in sheet["added"]]
    exits = [Obj(n, "area", d, {"exit": dirn}) for n, dirn, d in sheet["exits"]]
    for ob in added:
        if ob.kind == "area":
            exits.append(ob)
    for ob in shipped + added + [e for e in exits if e.added_by is None]:
        if ob.name in objs:
            fail("%s: %s twice" % (lname, ob.name))
        objs[ob.name] = ob
    for ob in shipped + [e for e in exits if e.added_by is None]:
        if ob.name in pinned:
            ob.x, ob.y = pinned[ob.name]
    for ob in added:
        if (lname, ob.name) in pinned_added and "at" not in ob.o:
            ob.x, ob.y = pinned_added[(lname, ob.name)]
    for ob in shipped + added:
        if ob.x is None and "pos" in ob.o:
            ob.x, ob.y = pair(ob.o["pos"])
    for ob in shipped + added:
        if "at" in ob.o:
            ref = objs[ob.o["at"]]
            ob.x, ob.y = ref.x, ref.y
    for ob in shipped + added + exits:
        if ob.x is None:
            fail("%s: %s has no place: give it one in content/levels/%s.cfg "
                 "(or content/added_objects.txt) or pos= in the table" % (lname, ob.name, lname))
    for ob in exits:
        if walk_of(ob.name, ob.x, ob.y) != ob.o["exit"]:
            fail("%s: exit %s at %d,%d does not show the walk %s" % (lname, ob.name, ob.x, ob.y, ob.o["exit"]))
    return shipped, added, exits


def write_list(path, rows):
    lines = [str(len(rows))]
    for name, x, y, kind in rows:
        lines += [name, str(int(x)), str(int(y)), kind]
    data = "\r\n".join(lines) + "\r\n"
    with open(path, "w", newline="") as f:
        f.write(data)


def ho_layout(lname, groups, spot, pinned):
    """The hunts' things at their pinned places; group 0's key at the spot."""
    rows = []
    for g, (reward, things) in enumerate(groups):
        key = "h_" + reward
        members = [("h_" + t, "item") for t in things]
        # The key keeps its place in the file's order among the things.
        order = [n for n in pinned if n in [m[0] for m in members] + [key]]
        names = [key] + [m[0] for m in members]
        if sorted(order) == sorted(names):
            members = [(n, "key" if n == key else "item") for n in order]
        else:
            members.insert(0, (key, "key"))
        for name, kind in members:
            if g == 0 and kind == "key":
                x, y = spot
            elif name in pinned:
                x, y = pinned[name]
            else:
                fail("%s scene: %s has no place in content/scenes/%s.cfg" % (lname, name, lname))
            rows.append((name, x, y, kind))
    return rows


def read_overlays(folder):
    """The pictures a close-up draws over its own for the steps reached
    ("z_" + word), from content/closeups/*.txt: one line each, the level,
    the picture's name, its width and height, and what it shows in quotes."""
    rows = []
    for fname in sorted(os.listdir(folder)) if os.path.isdir(folder) else ():
        if not fname.endswith(".txt"):
            continue
        path = os.path.join(folder, fname)
        with open(path) as f:
            for number, line in enumerate(f, 1):
                line = line.strip()
                if not line or line.startswith("#"):
                    continue
                m = re.match(r'^([a-z]+) (z_[a-z0-9_]+) (\d+) (\d+) "([^"]+)"$', line)
                if not m:
                    fail("%s:%d: expected: level z_name width height \"what it shows\"" % (path, number))
                level, name, w, h, desc = m.groups()
                if level not in LEVELS:
                    fail("%s:%d: no level %s" % (path, number, level))
                rows.append(("levels/" + level, name, int(w), int(h), "overlay", desc))
    return rows


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    content = os.path.join(root, "content")
    os.makedirs(os.path.join(content, "levels"), exist_ok=True)
    os.makedirs(os.path.join(content, "scenes"), exist_ok=True)
    sprites = []
    added_rows = []
    pinned_added = read_added_places(os.path.join(content, "added_objects.txt"))
    for lname in ORDER:
        sheet = LEVELS[lname]
        pinned = read_places(os.path.join(content, "levels", lname + ".cfg"))
        shipped, added, exits = layout(lname, sheet, pinned, pinned_added)
        rows = [(o.name, o.x, o.y, o.kind) for o in shipped]
        rows += [(o.name, o.x, o.y, o.kind) for o in exits
                 if o.added_by is None]
        if len(rows) > 129:
            fail("%s: too many objects" % lname)
        write_list(os.path.join(content, "levels", lname + ".cfg"), rows)
        folder = "levels/" + lname
        sprites.append((folder, "lev_bg", 1024, 768, "background",
                        "the %s, painted full screen" % lname))
        for o in shipped + [e for e in exits if e.added_by is None] + added:
            if o.image:
                w, h = o.size
                sprites.append((folder, o.name, w, h, o.kind, o.desc))
        # A close-up opens as large as its picture "z_" + name.
        for o in shipped + added:
            if o.kind == "zoomin":
                sprites.append((folder, "z_" + o.name, CLOSEUP[0], CLOSEUP[1], "background",
                                "close-up: " + o.desc))
        for o in added:
            added_rows.append((lname, o.name, int(o.x), int(o.y), o.kind,
                               "image" if o.image else "-", o.added_by))
        # Shipped objects that the story takes away and later puts back
        # where they were.
        for name, by in READDED.get(lname, ()):
            o = next(s for s in shipped + exits if s.name == name)
            added_rows.append((lname, name, int(o.x), int(o.y), o.kind,
                               "image" if o.image else "-", by))
        if lname in SCENES:
            hname, bg_image, tool, spot, odesc, tdesc = sheet["obstacle"]
            scene_file = os.path.join(content, "scenes", lname + ".cfg")
            scene_pinned = read_places(scene_file)
            scene_rows = ho_layout(lname, SCENES[lname], spot, scene_pinned)
            if tool not in scene_pinned:
                fail("%s scene: the tool %s has no place in %s" % (lname, tool, scene_file))
            tool_pos = scene_pinned[tool]
            scene_rows.append((hname, spot[0], spot[1], "obstacle"))
            scene_rows.append((tool, tool_pos[0], tool_pos[1], "tool"))
            write_list(os.path.join(content, "scenes", lname + ".cfg"), scene_rows)
            ho = folder + "/ho"
            sprites.append((ho, "h_bg", 1024, 768, "background",
                            "the %s's cluttered hidden-object picture" % lname))
            for name, _, _, kind in scene_rows[:-2]:
                word = name[2:].replace("_", " ")
                sprites.append((ho, name, HO_THING[0], HO_THING[1],
                                "ho_key" if kind == "key" else "ho_item", word))
            sprites.append((ho, bg_image, HO_OBSTACLE[0], HO_OBSTACLE[1],
                            "obstacle", odesc))
            sprites.append((ho, tool, HO_TOOL[0], HO_TOOL[1], "tool", tdesc))
    sprites += read_overlays(os.path.join(content, "closeups"))
    for lname in STORY_SCREENS:
        write_list(os.path.join(content, "levels", lname + ".cfg"), [])

    with open(os.path.join(content, "sprites.txt"), "w") as f:
        f.write("# One sprite a line for every image that the level and scene files name.\n"
                "# folder (inside images/) name width height kind \"what it shows\"\n"
                "# Kinds: item, static, cstatic, puzzle, zoomin, ghost, inactive, area\n"
                "# (an exit's click mask), ho_item, ho_key, obstacle, tool, background,\n"
                "# overlay (drawn over a close-up for a step reached).\n"
                "# Made by tools/worldgen.py from the level tables.\n")
        for folder, name, w, h, kind, desc in sprites:
            f.write('%s %s %d %d %s "%s"\n' % (folder, name, w, h, kind, desc))

    with open(os.path.join(content, "added_objects.txt"), "w") as f:
        f.write("# Objects that the story adds to a level during play, with the place\n"
                "# they are added at. The quest code adds them with these coordinates.\n"
                "# level name x y kind image added-by\n"
                "# image: \"image\" when the object is drawn or hit-tested by its picture\n"
                "# (levels/<level>/<name>), \"-\" for flags and ghosts that have none.\n"
                "# added-by: the object (level/object when in another level) or event.\n")
        for lname, name, x, y, kind, image, by in added_rows:
            f.write("%s %s %d %d %s %s %s\n" % (lname, name, x, y, kind, image,
                                                by.replace(" ", "/")))


if __name__ == "__main__":
    main()
