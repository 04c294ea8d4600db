# The grid on a table of 1,000,000 rows against one of 10,000: painting, key
# strokes, the scroll thumb, and typing and posting. A plain timed program;
# run it headless (QT_QPA_PLATFORM=offscreen) or on a display.
if(TARGET grid)
  add_executable(grid_bench
    ${CMAKE_CURRENT_SOURCE_DIR}/grid_bench.cpp
    ${CMAKE_SOURCE_DIR}/data/paradox_table_test_support.cpp)
  find_library(GRID_BENCH_PXLIB px REQUIRED)
  target_link_libraries(grid_bench PRIVATE grid Qt6::Test ${GRID_BENCH_PXLIB})
  if(TARGET pdx_engine)
    add_dependencies(grid_bench pdx_engine)
  endif()
endif()
