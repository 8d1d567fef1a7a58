# Start-up of the main window on the sample folder, the day load through the window, and race
# selection. Runs on the offscreen platform; the sample is generated once per run.
kestrane_add_bench(bench_mainform SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_mainform.cpp
  LIBS kestrane_app_forms)
target_compile_definitions(bench_mainform PRIVATE
  KESTRANE_MAKE_SAMPLE="$<TARGET_FILE:kestrane_make_sample>")
add_dependencies(bench_mainform kestrane_make_sample)
