# pdx export to CSV and SQLite and pdx import from CSV on a generated keyed
# table, with the time SQLite itself takes for the same rows and the peak
# memory of each command at two table sizes.
# A plain timed program: run build/bin/exchange_bench [ROWS].
find_package(SQLite3 REQUIRED)
add_executable(exchange_bench ${CMAKE_CURRENT_SOURCE_DIR}/exchange_bench.cpp)
target_link_libraries(exchange_bench PRIVATE pdxstore SQLite::SQLite3)
target_include_directories(exchange_bench PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(exchange_bench PRIVATE PDX_TOOL_PATH="$<TARGET_FILE:pdx>")
add_dependencies(exchange_bench pdx)
