# The CSV reader of pdx import against the writer of pdx export, and base64.
vindral_fuzz_target(csv
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/csv_fuzz.cpp
  LIBS pdxtool)
