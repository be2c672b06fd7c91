# Reads the table of the game's images (images.json beside this file), for both
# the desktop and the browser build:
#
#   include(<source>/src/textures/images.cmake)
#   fetch_image_table(<folder>)
#
# sets FETCH_IMAGES to the image file names in loading order and writes
# <folder>/textures/images.h, the same table for C++ (put <folder> on the
# include path). Editing images.json re-runs CMake. The header is rewritten only
# when its text changes, so an unchanged table rebuilds nothing.

set(FETCH_IMAGE_TABLE ${CMAKE_CURRENT_LIST_DIR}/images.json)

function(fetch_image_table folder)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${FETCH_IMAGE_TABLE})
  file(READ ${FETCH_IMAGE_TABLE} table)
  string(JSON count LENGTH "${table}" images)
  math(EXPR last "${count} - 1")

  set(files "")
  set(constants "")
  set(entries "")
  set(furs 0)
  set(scenery_seen FALSE)
  foreach(i RANGE ${last})
    string(JSON name GET "${table}" images ${i} name)
    string(JSON file GET "${table}" images ${i} file)
    string(JSON texture GET "${table}" images ${i} texture)
    string(JSON what GET "${table}" images ${i} what)
    string(JSON fur ERROR_VARIABLE no_fur GET "${table}" images ${i} fur)
    if(no_fur)
      set(fur OFF)
    endif()
    if(NOT name MATCHES "^[a-z][A-Za-z0-9]*$" OR NOT file MATCHES "^[a-z0-9_]+\\.bmp$"
       OR NOT texture MATCHES "^[1-9][0-9]*$" OR what MATCHES "[\"\\\\@]")
      message(FATAL_ERROR "${FETCH_IMAGE_TABLE}: entry ${i} (${name}, ${file}, ${texture}) is not a valid image")
    endif()
    if(file IN_LIST files)
      message(FATAL_ERROR "${FETCH_IMAGE_TABLE}: ${file} is listed twice")
    endif()
    if(fur)
      if(scenery_seen)
        message(FATAL_ERROR "${FETCH_IMAGE_TABLE}: the fur ${file} comes after the scenery; furs load first")
      endif()
      math(EXPR furs "${furs} + 1")
    else()
      set(scenery_seen TRUE)
    endif()
    list(APPEND files ${file})
    string(APPEND constants "inline constexpr int ${name}Texture = ${texture};  // ${what}\n")
    string(APPEND entries "    {${name}Texture, \"${file}\"},\n")
  endforeach()

  set(header "// The game's images, made by CMake from src/textures/images.json: edit that\n")
  string(APPEND header "// table, not this file.\n#pragma once\n\n")
  string(APPEND header "// The texture id each image is loaded under.\n${constants}\n")
  string(APPEND header "// One image file and the texture id it is loaded under.\n")
  string(APPEND header "struct TextureFile {\n    unsigned int id;\n    const char* fileName;\n};\n\n")
  string(APPEND header "// The images in loading order: the furs first, then the scenery.\n")
  string(APPEND header "inline constexpr TextureFile textureFiles[] = {\n${entries}};\n")
  string(APPEND header "inline constexpr int furTextureFileCount = ${furs};\n")

  # Written only when it changes, so that what includes it is not rebuilt for nothing.
  file(CONFIGURE OUTPUT ${folder}/textures/images.h CONTENT "${header}" @ONLY)
  set(FETCH_IMAGES ${files} PARENT_SCOPE)
endfunction()
