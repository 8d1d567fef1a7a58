# A setup import of a synthetic year through the replay layer and the filing loop.
kestrane_add_bench(bench_import SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_import.cpp
  LIBS kestrane_jvdata)
