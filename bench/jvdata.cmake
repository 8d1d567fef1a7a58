kestrane_add_bench(bench_filing SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_filing.cpp LIBS kestrane_jvdata)
