cmake_minimum_required(VERSION 3.25)
# Fails when code outside the store and the programs built beside it includes
# a store header other than its public face (pdx.h and pdx_codes.h): the window
# reaches the store only through the loaded engine library.
# Run as: cmake -DSOURCE_DIR=<source root> -P store_boundary.cmake
set(window_folders app toolkit intl data grid edit recordview report)
set(public_headers "paradox/pdx.h" "paradox/pdx_codes.h")
set(offences "")
foreach(folder ${window_folders})
  file(GLOB_RECURSE sources ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  foreach(source ${sources})
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]paradox/")
    foreach(line ${includes})
      string(REGEX MATCH "paradox/[^\">]+" header "${line}")
      if(NOT header IN_LIST public_headers)
        file(RELATIVE_PATH where ${SOURCE_DIR} ${source})
        string(APPEND offences "  ${where}: ${header}\n")
      endif()
    endforeach()
  endforeach()
endforeach()
if(offences)
  message(FATAL_ERROR "Private store headers included outside the store:\n${offences}")
endif()
