# The sample program folder: day files, horse files, members' files and a replay feed.
add_executable(kestrane_make_sample ${CMAKE_CURRENT_LIST_DIR}/make_sample.cpp)
target_link_libraries(kestrane_make_sample PRIVATE kestrane_jvdata)
