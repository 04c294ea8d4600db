# The blob file reader: hostile blob files and record pointers into them.
vindral_fuzz_target(blob
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/blob_fuzz.cpp
  LIBS pdxstore)
