# The store's blob writer: loading rows with memos of mixed sizes, then
# replacing, growing and shrinking them, with syncing off and on.
# A plain timed program: run build/bin/blob_bench [ROWS] [OPERATIONS].
add_executable(blob_bench ${CMAKE_CURRENT_SOURCE_DIR}/blob_bench.cpp)
target_link_libraries(blob_bench PRIVATE pdxstore)
