# The record view: opening its window on the widest sample table and on a
# table of 100 fields, and moving to the next row inside it. Tables are
# written into a temporary directory by the store.
if(TARGET recordview)
  add_executable(recordview_bench
    ${CMAKE_CURRENT_SOURCE_DIR}/recordview_bench.cpp
    ${CMAKE_SOURCE_DIR}/data/paradox_table_test_support.cpp)
  find_library(PXLIB_LIBRARY px REQUIRED)
  target_link_libraries(recordview_bench PRIVATE recordview foliodb ${PXLIB_LIBRARY})
  if(TARGET pdx_engine)
    add_dependencies(recordview_bench pdx_engine)
  endif()
endif()
