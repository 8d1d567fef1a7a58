# kzip: developer driver over the zip extractor (tests and benchmarks use it; not shipped).
add_executable(kzip ${CMAKE_CURRENT_SOURCE_DIR}/kzip/kzip.cpp)
target_link_libraries(kzip PRIVATE kestrane_archive)
