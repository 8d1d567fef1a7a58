# Zip extraction against `unzip -o -q` of the same archive; prints the time ratio.
kestrane_add_bench(bench_extract SOURCES bench_extract.cpp LIBS kestrane_archive)
