# The report printer on a generated keyed table of 1,000,000 rows: the whole
# table into the report file against pdx dump, and pages of it into a PDF
# with the peak memory of each run.  A plain timed program: run
# build/bin/report_bench.
if(TARGET report)
  add_executable(report_bench ${CMAKE_CURRENT_SOURCE_DIR}/report_bench.cpp)
  target_link_libraries(report_bench PRIVATE report pdxstore)
  target_include_directories(report_bench PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_compile_definitions(report_bench PRIVATE PDX_TOOL_PATH="$<TARGET_FILE:pdx>")
  add_dependencies(report_bench pdx pdx_engine)
endif()
