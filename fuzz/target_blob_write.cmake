# The writer over hostile blob files and rows whose blob pointers name
# anything: storing, replacing and freeing values.
vindral_fuzz_target(blob_write
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/blob_write_fuzz.cpp
          ${CMAKE_SOURCE_DIR}/paradox/testing/memory_file_system.cpp
  LIBS pdxstore)
