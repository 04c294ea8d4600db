# The store's open-and-read path, and the table check, over hostile table
# files (data file, primary index, blob file, validity checks).
vindral_fuzz_target(table
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/table_fuzz.cpp
  LIBS pdxstore)
