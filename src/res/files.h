// File names of the game's content: listings from the open archive or the
// disk, and the naming rule that turns a file name into a resource name.
#pragma once

#include <string>
#include <string_view>

#include "res/fixed_list.h"

// The names (without folder) of the files matching a mask such as
// "images/splash/*.png", from the open archive if one is open, else from
// disk; files in subfolders are left out; at most 1025 names.
TF_list list_files(const std::string& mask);
// The file name without its extension: everything before the last dot.
std::string file_stem(std::string_view file_name);
