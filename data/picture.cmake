# The picture mask validator: plain C++ in a library of its own, so the data
# set, the edit controls and the grid's editor link it without the rest.
add_library(picture STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/picture_validator.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/picture_matcher.cpp)
target_include_directories(picture PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(picture PUBLIC toolkit_core)
set_target_properties(picture PROPERTIES AUTOMOC OFF AUTORCC OFF)

add_executable(picture_tests ${CMAKE_CURRENT_SOURCE_DIR}/picture_validator_test.cpp)
target_link_libraries(picture_tests PRIVATE picture GTest::gtest_main)
set_target_properties(picture_tests PROPERTIES AUTOMOC OFF AUTORCC OFF)
gtest_discover_tests(picture_tests)
