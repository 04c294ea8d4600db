# Random masks and texts through the picture validator, with and without
# auto-fill. The validator's sources are compiled into the target itself so
# that the fuzzer's coverage instrumentation reaches them.
vindral_fuzz_target(picture
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/picture_fuzz.cpp
          ${CMAKE_SOURCE_DIR}/data/picture_validator.cpp
          ${CMAKE_SOURCE_DIR}/data/picture_matcher.cpp
  LIBS toolkit_core)
