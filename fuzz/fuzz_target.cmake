# vindral_fuzz_target(NAME SOURCES... LIBS ...): the libFuzzer program
# NAME_fuzz (fuzz builds only) and the replay test NAME_replay over
# corpus/NAME.
function(vindral_fuzz_target name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name}_replay ${ARG_SOURCES} ${CMAKE_CURRENT_SOURCE_DIR}/replay_main.cpp)
  target_link_libraries(${name}_replay PRIVATE ${ARG_LIBS})
  add_test(NAME ${name}_corpus
           COMMAND ${name}_replay ${CMAKE_CURRENT_SOURCE_DIR}/corpus/${name})
  if(VINDRAL_FUZZ)
    add_executable(${name}_fuzz ${ARG_SOURCES})
    target_compile_options(${name}_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name}_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${name}_fuzz PRIVATE ${ARG_LIBS})
  endif()
endfunction()
