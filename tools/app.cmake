# Loads one day of a program folder headless and prints the race-day model as text.
add_executable(kestrane_day_dump ${CMAKE_CURRENT_LIST_DIR}/day_dump.cpp)
target_link_libraries(kestrane_day_dump PRIVATE kestrane_app)
