# The search box and the edit box: a keystroke on a key field of 1,000,000
# rows against 10,000, a scan of a field outside the index, and typing a
# masked value. The keyed tables are written by the read benchmark's
# generator.
add_executable(search_bench
  ${CMAKE_CURRENT_SOURCE_DIR}/search_bench.cpp
  ${CMAKE_SOURCE_DIR}/data/paradox_table_test_support.cpp)
find_library(PXLIB_LIBRARY px REQUIRED)
target_include_directories(search_bench PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(search_bench PRIVATE edit pdxstore ${PXLIB_LIBRARY} Qt6::Test
  benchmark::benchmark)
if(TARGET pdx_engine)
  add_dependencies(search_bench pdx_engine)
endif()
