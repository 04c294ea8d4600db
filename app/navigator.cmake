# The navigator bar: a library of its own that sits on the data layer and the
# toolkit, never on the main window, so the record view can use it too.
add_library(navigator STATIC
  ${CMAKE_CURRENT_LIST_DIR}/navigator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/navigator_glyphs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/navigator_layout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/navigator_timer.cpp)
target_include_directories(navigator PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(navigator PUBLIC data toolkit_qt Qt6::Widgets)

add_executable(navigator_tests
  ${CMAKE_CURRENT_LIST_DIR}/navigator_test.cpp
  ${CMAKE_SOURCE_DIR}/data/memory_table_test_support.cpp)
target_link_libraries(navigator_tests PRIVATE navigator Qt6::Test GTest::gtest)
gtest_discover_tests(navigator_tests
  PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
  DISCOVERY_MODE PRE_TEST)
