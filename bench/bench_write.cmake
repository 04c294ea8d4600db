# The store's write side on a keyed table of 1,000,000 rows: building it
# through `pdx insert` in key order and in random order, single inserts,
# modifies and deletes with syncing off and on, and the cost of one sync.
# A plain timed program: run build/bin/write_bench [ROWS] [OPERATIONS].
add_executable(write_bench ${CMAKE_CURRENT_SOURCE_DIR}/write_bench.cpp)
target_link_libraries(write_bench PRIVATE pdxstore)
target_compile_definitions(write_bench PRIVATE PDX_TOOL_PATH="$<TARGET_FILE:pdx>")
add_dependencies(write_bench pdx)
