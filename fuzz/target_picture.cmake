# Random masks and texts through the picture validator, with and without
# auto-fill.
vindral_fuzz_target(picture
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/picture_fuzz.cpp
  LIBS picture)
