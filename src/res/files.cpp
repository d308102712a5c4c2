// Listings and resource names.
#include "res/files.h"

#include "engine/archive.h"

TF_list list_files(const std::string& mask) {
  TF_list names;
  for (std::string& name : ListGameFiles(mask, TF_list::capacity)) names.append(std::move(name));
  return names;
}

std::string file_stem(std::string_view file_name) {
  const std::size_t dot = file_name.rfind('.');
  return std::string(dot == std::string_view::npos ? file_name : file_name.substr(0, dot));
}
