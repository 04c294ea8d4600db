# The store's read side on a generated keyed table of 1,000,000 rows: open
# and first rows, full scan, pdx dump, random finds and moves to a number.
# A plain timed program: run build/bin/read_bench.
add_executable(read_bench ${CMAKE_CURRENT_SOURCE_DIR}/read_bench.cpp)
target_link_libraries(read_bench PRIVATE pdxstore)
target_include_directories(read_bench PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(read_bench PRIVATE PDX_TOOL_PATH="$<TARGET_FILE:pdx>")
add_dependencies(read_bench pdx)
