# The text codec decoding a generated 1,000,000-row table's alpha column.
# A plain timed program: run build/bin/codec_bench.
add_executable(codec_bench ${CMAKE_CURRENT_SOURCE_DIR}/codec_bench.cpp)
target_link_libraries(codec_bench PRIVATE pdxstore toolkit_core)
target_include_directories(codec_bench PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
