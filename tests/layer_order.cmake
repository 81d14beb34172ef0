# Checks that every source includes headers only from its own folder or from
# folders listed before it in the layer order.
#   cmake -DSOURCE_DIR=<root> -DLAYERS=<folder,folder,...> -P layer_order.cmake
# A folder listed inside another (platform/ui after platform) is a layer of
# its own; a file belongs to the longest listed folder that holds it. An
# include of a folder that is not listed is reported as well, so that a new
# folder has to take its place in the order. Each finding is printed; the
# script fails when there is any. Files under a testdata folder are data, not
# sources.
cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE_DIR OR NOT LAYERS)
  message(FATAL_ERROR "usage: cmake -DSOURCE_DIR=... -DLAYERS=... -P layer_order.cmake")
endif()
get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)
string(REPLACE "," ";" LAYERS "${LAYERS}")

# The layer (its index in LAYERS) of a folder path: its longest listed
# prefix; -1 when none.
function(layer_of folder out)
  set(best -1)
  set(best_length 0)
  set(index 0)
  foreach(layer ${LAYERS})
    string(LENGTH "${layer}" length)
    if((folder STREQUAL layer OR folder MATCHES "^${layer}/") AND length GREATER best_length)
      set(best ${index})
      set(best_length ${length})
    endif()
    math(EXPR index "${index} + 1")
  endforeach()
  set(${out} ${best} PARENT_SCOPE)
endfunction()

set(findings 0)
foreach(layer ${LAYERS})
  file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/${layer}/*.h" "${SOURCE_DIR}/${layer}/*.cpp")
  foreach(source ${sources})
    if(source MATCHES "(^|/)testdata/")
      continue()
    endif()
    get_filename_component(folder "${source}" DIRECTORY)
    layer_of("${folder}" own)
    if(NOT own EQUAL -1)
      list(GET LAYERS ${own} own_name)
    endif()
    # Each source is seen from the layer that holds it, not from the outer
    # folders it is also found under.
    if(NOT own_name STREQUAL layer)
      continue()
    endif()
    file(STRINGS "${SOURCE_DIR}/${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"[^\"]+/[^\"/]+\"")
    foreach(line ${includes})
      string(REGEX REPLACE "^[^\"]*\"([^\"]+)/[^\"/]+\".*$" "\\1" target "${line}")
      layer_of("${target}" used)
      if(used EQUAL -1)
        message("${source}: includes ${target}/, a folder outside the layer order")
        math(EXPR findings "${findings} + 1")
      elseif(used GREATER own)
        list(GET LAYERS ${used} used_name)
        message("${source}: includes ${target}/, but ${used_name} is listed after ${own_name}")
        math(EXPR findings "${findings} + 1")
      endif()
    endforeach()
  endforeach()
endforeach()

if(findings GREATER 0)
  message(FATAL_ERROR "${findings} include(s) against the layer order: ${LAYERS}")
endif()
