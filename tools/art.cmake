# Placeholder art: artgen paints every recipe of content/art, and a picture
# for every line of content/sprites.txt and content/items.txt that has no
# recipe, into the staged image folders (images/<folder>/<name>.png), which
# the archive rule packs. Included by tools/CMakeLists.txt after it has set
# QUILLMOOR_STAGE.
pkg_check_modules(ART_LIBS REQUIRED IMPORTED_TARGET cairo freetype2)

# The recipe reader and painter, shared by artgen, the tests and the fuzzer.
add_library(quillmoor_art STATIC
  ${CMAKE_CURRENT_LIST_DIR}/art_recipe.cpp
  ${CMAKE_CURRENT_LIST_DIR}/art_paint.cpp
  ${CMAKE_CURRENT_LIST_DIR}/art_sprites.cpp
  ${CMAKE_CURRENT_LIST_DIR}/art_pictures.cpp
)
# Users write #include "tools/art_paint.h".
target_include_directories(quillmoor_art PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(quillmoor_art PUBLIC PkgConfig::ART_LIBS)
quillmoor_warnings(quillmoor_art)

add_executable(artgen ${CMAKE_CURRENT_LIST_DIR}/artgen.cpp)
target_link_libraries(artgen PRIVATE quillmoor_art)
quillmoor_warnings(artgen)

set(QUILLMOOR_ART_SOURCE ${CMAKE_SOURCE_DIR}/content/art)
set(art_sprites ${CMAKE_SOURCE_DIR}/content/sprites.txt)
set(art_items ${CMAKE_SOURCE_DIR}/content/items.txt)
set(art_level_files ${CMAKE_SOURCE_DIR}/content/levels)
set(art_pictures ${CMAKE_SOURCE_DIR}/content/pictures.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${art_sprites} ${art_items})
file(GLOB art_shared CONFIGURE_DEPENDS ${QUILLMOOR_ART_SOURCE}/lib/*.arti)

# The levels: one folder of recipes each, and every level the sprite list
# names. Each level is painted by its own run of artgen, so a change to one
# level repaints that level only, and the runs can go side by side.
file(GLOB art_level_dirs LIST_DIRECTORIES true RELATIVE ${QUILLMOOR_ART_SOURCE}/levels
  CONFIGURE_DEPENDS ${QUILLMOOR_ART_SOURCE}/levels/*)
set(art_levels)
foreach(dir IN LISTS art_level_dirs)
  if(IS_DIRECTORY ${QUILLMOOR_ART_SOURCE}/levels/${dir})
    list(APPEND art_levels ${dir})
  endif()
endforeach()
set(art_list_options)
if(EXISTS ${art_sprites})
  set(art_list_options --sprites ${art_sprites} --levels ${art_level_files})
  file(STRINGS ${art_sprites} sprite_lines REGEX "^[ \t]*levels/")
  foreach(line IN LISTS sprite_lines)
    if(line MATCHES "^[ \t]*levels/([a-z0-9_]+)")
      list(APPEND art_levels ${CMAKE_MATCH_1})
    endif()
  endforeach()
endif()
list(REMOVE_DUPLICATES art_levels)
list(SORT art_levels)

set(QUILLMOOR_ART_STAMP)
# One run of artgen: NAME names its stamp and manifest, the rest are its
# folder options.
function(art_run name)
  set(stamp ${QUILLMOOR_STAGE}/images.${name}.stamp)
  set(arguments --src ${QUILLMOOR_ART_SOURCE} --out ${QUILLMOOR_STAGE}/images
      --manifest ${QUILLMOOR_STAGE}/images.${name}.manifest --pictures ${art_pictures} ${ARGN})
  add_custom_command(
    OUTPUT ${stamp}
    COMMAND artgen ${arguments}
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${art_depends}
    COMMENT "Content: painting the ${name} art"
    VERBATIM)
  content_command($<TARGET_FILE:artgen> ${arguments})
  set(QUILLMOOR_ART_STAMP ${QUILLMOOR_ART_STAMP} ${stamp} PARENT_SCOPE)
  set(content_manifest "${content_manifest}" PARENT_SCOPE)
endfunction()

# Everything outside the levels: the permanent folders and the items.
file(GLOB_RECURSE art_base_recipes CONFIGURE_DEPENDS
  ${QUILLMOOR_ART_SOURCE}/splash/*.art ${QUILLMOOR_ART_SOURCE}/common/*.art
  ${QUILLMOOR_ART_SOURCE}/particles/*.art ${QUILLMOOR_ART_SOURCE}/items/*.art
  ${QUILLMOOR_ART_SOURCE}/diary/*.art ${QUILLMOOR_ART_SOURCE}/hint/*.art)
set(art_depends artgen ${art_shared} ${art_base_recipes} ${art_pictures})
set(art_item_options)
if(EXISTS ${art_items})
  list(APPEND art_depends ${art_items})
  set(art_item_options --items ${art_items})
endif()
art_run(common --except levels ${art_item_options})

foreach(level IN LISTS art_levels)
  file(GLOB_RECURSE level_recipes CONFIGURE_DEPENDS ${QUILLMOOR_ART_SOURCE}/levels/${level}/*.art)
  set(art_depends artgen ${art_shared} ${level_recipes} ${art_pictures})
  if(EXISTS ${art_sprites})
    list(APPEND art_depends ${art_sprites})
    if(EXISTS ${art_level_files}/${level}.cfg)
      list(APPEND art_depends ${art_level_files}/${level}.cfg)
    endif()
  endif()
  art_run(${level} --only levels/${level} ${art_list_options})
endforeach()

# The application icon: one recipe, painted at each size of the desktop's
# icon theme into QUILLMOOR_ICON_DIR/<N>x<N>/apps/, which the install rules copy.
set(icon_recipe ${CMAKE_SOURCE_DIR}/content/icon/quillmoor.art)
set(icon_outputs)
foreach(size 16 32 48 64 128 256)
  set(icon_out ${QUILLMOOR_ICON_DIR}/${size}x${size}/apps/${QUILLMOOR_APP_ID}.png)
  add_custom_command(
    OUTPUT ${icon_out}
    COMMAND artgen --one ${icon_recipe} ${icon_out} --src ${QUILLMOOR_ART_SOURCE} --size ${size}
    DEPENDS artgen ${icon_recipe} ${art_shared}
    COMMENT "Content: the ${size} x ${size} icon"
    VERBATIM)
  list(APPEND icon_outputs ${icon_out})
endforeach()
add_custom_target(icons ALL DEPENDS ${icon_outputs})

if(QUILLMOOR_TESTS)
  # A faulty sprite list stops the build, naming the list's file and line.
  add_test(NAME tools.artgen_refuses_a_faulty_sprite_list
    COMMAND ${CMAKE_COMMAND} -DARTGEN=$<TARGET_FILE:artgen> -DSOURCE=${QUILLMOOR_ART_SOURCE}
      -DWORK=${CMAKE_CURRENT_BINARY_DIR}/art_refusal
      -P ${CMAKE_SOURCE_DIR}/tests/tools/artgen_refusal.cmake)
endif()
