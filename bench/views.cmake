kestrane_add_bench(bench_racecard SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_racecard.cpp LIBS kestrane_views)
