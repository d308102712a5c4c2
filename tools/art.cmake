# Placeholder art: artgen paints every recipe of content/art into the staged
# image folders (images/<folder>/<name>.png), which the archive rule packs.
# Included by tools/CMakeLists.txt after it has set QUILLMOOR_STAGE.
pkg_check_modules(ART_LIBS REQUIRED IMPORTED_TARGET cairo freetype2)

# The recipe reader and painter, shared by artgen, the tests and the fuzzer.
add_library(quillmoor_art STATIC
  ${CMAKE_CURRENT_LIST_DIR}/art_recipe.cpp
  ${CMAKE_CURRENT_LIST_DIR}/art_paint.cpp
)
# Users write #include "tools/art_paint.h".
target_include_directories(quillmoor_art PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(quillmoor_art PUBLIC PkgConfig::ART_LIBS)
quillmoor_warnings(quillmoor_art)

add_executable(artgen ${CMAKE_CURRENT_LIST_DIR}/artgen.cpp)
target_link_libraries(artgen PRIVATE quillmoor_art)
quillmoor_warnings(artgen)

set(QUILLMOOR_ART_SOURCE ${CMAKE_SOURCE_DIR}/content/art)
file(GLOB_RECURSE QUILLMOOR_ART_RECIPES CONFIGURE_DEPENDS
  ${QUILLMOOR_ART_SOURCE}/*.art
  ${QUILLMOOR_ART_SOURCE}/*.arti)
set(QUILLMOOR_ART_STAMP ${QUILLMOOR_STAGE}/images.stamp)

add_custom_command(
  OUTPUT ${QUILLMOOR_ART_STAMP}
  COMMAND artgen --src ${QUILLMOOR_ART_SOURCE} --out ${QUILLMOOR_STAGE}/images
          --manifest ${QUILLMOOR_STAGE}/images.manifest
  COMMAND ${CMAKE_COMMAND} -E touch ${QUILLMOOR_ART_STAMP}
  DEPENDS artgen ${QUILLMOOR_ART_RECIPES}
  COMMENT "Content: painting the placeholder art"
  VERBATIM)
