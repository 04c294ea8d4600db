# The picture validator on 255-character texts: ordinary masks and the most
# expensive masks we could construct.
add_executable(picture_bench ${CMAKE_CURRENT_SOURCE_DIR}/picture_bench.cpp)
target_link_libraries(picture_bench PRIVATE picture benchmark::benchmark)
