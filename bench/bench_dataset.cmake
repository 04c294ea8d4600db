# The data set on a table of 1,000,000 rows against one of 10,000: opening with
# a 30-row window, Last, paging by 30 rows, and posting an edited row. Each
# must be bounded by the window, not the table. Tables are written once into a
# temporary directory (by the store, or by pxlib while the store cannot).
add_executable(dataset_bench
  ${CMAKE_CURRENT_SOURCE_DIR}/dataset_bench.cpp
  ${CMAKE_SOURCE_DIR}/data/memory_table_test_support.cpp
  ${CMAKE_SOURCE_DIR}/data/paradox_table_test_support.cpp)
find_library(PXLIB_LIBRARY px REQUIRED)
target_link_libraries(dataset_bench PRIVATE data ${PXLIB_LIBRARY} benchmark::benchmark)
set_target_properties(dataset_bench PROPERTIES AUTOMOC OFF)
