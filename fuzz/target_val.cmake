# The validity-check file parser: parse, resolve, serialize, parse again.
vindral_fuzz_target(val
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/val_fuzz.cpp
  LIBS pdxstore)
