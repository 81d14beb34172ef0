# Checks that every source includes only headers of its own folder and of
# what its folder may include.
#   cmake -DSOURCE_DIR=<root> -DRULES=<file> -P layer_order.cmake
# RULES is a CMake file that sets
#   zel_layers                the folders; a folder listed inside another
#                             (platform/ui in platform) is one of its own,
#                             and a file belongs to the longest listed folder
#                             that holds it;
#   zel_may_include_<folder>  what the sources of <folder> may include:
#                             folders (each header in them), or single
#                             headers ("platform/win.h");
#   zel_tests_may_include     what unit tests (*_test.cpp, *_test_util.h) may
#                             include besides.
# An include of a folder that is not listed is reported as well, so that a
# new folder has to be given its place. Each finding is printed; the script
# fails when there is any. Files under a testdata folder are data, not
# sources.
cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE_DIR OR NOT RULES)
  message(FATAL_ERROR "usage: cmake -DSOURCE_DIR=... -DRULES=... -P layer_order.cmake")
endif()
get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)
include("${RULES}")

# The listed folder that a folder path belongs to: its longest listed
# prefix; empty when none.
function(layer_of folder out)
  set(best "")
  set(best_length 0)
  foreach(layer ${zel_layers})
    string(LENGTH "${layer}" length)
    if((folder STREQUAL layer OR folder MATCHES "^${layer}/") AND length GREATER best_length)
      set(best "${layer}")
      set(best_length ${length})
    endif()
  endforeach()
  set(${out} "${best}" PARENT_SCOPE)
endfunction()

set(findings 0)
foreach(layer ${zel_layers})
  file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/${layer}/*.h" "${SOURCE_DIR}/${layer}/*.cpp")
  foreach(source ${sources})
    if(source MATCHES "(^|/)testdata/")
      continue()
    endif()
    get_filename_component(folder "${source}" DIRECTORY)
    layer_of("${folder}" own)
    # Each source is seen from the folder that holds it, not from the outer
    # folders it is also found under.
    if(NOT own STREQUAL layer)
      continue()
    endif()
    set(allowed ${zel_may_include_${own}})
    if(source MATCHES "_test(_util)?\\.(cpp|h)$")
      list(APPEND allowed ${zel_tests_may_include})
    endif()
    file(STRINGS "${SOURCE_DIR}/${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"[^\"]+/[^\"/]+\"")
    foreach(line ${includes})
      string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*$" "\\1" header "${line}")
      get_filename_component(target "${header}" DIRECTORY)
      layer_of("${target}" used)
      if(used STREQUAL "")
        message("${source}: includes ${header}, of a folder that is not listed")
        math(EXPR findings "${findings} + 1")
      elseif(NOT used STREQUAL own AND NOT used IN_LIST allowed AND NOT header IN_LIST allowed)
        message("${source}: includes ${header}, which ${own}/ may not include")
        math(EXPR findings "${findings} + 1")
      endif()
    endforeach()
  endforeach()
endforeach()

if(findings GREATER 0)
  message(FATAL_ERROR "${findings} include(s) against what their folders may include")
endif()
