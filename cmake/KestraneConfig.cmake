# One place for the language level, warnings and Qt strictness of every target.
add_library(kestrane_config INTERFACE)
target_compile_features(kestrane_config INTERFACE cxx_std_20)
target_compile_options(kestrane_config INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
  -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough -Wold-style-cast -Wcast-qual)
# Warnings stop debug builds (and CI, which builds Debug); a release build with a newer compiler
# that warns about more must still build for the person who runs it.
option(KESTRANE_WERROR "Treat warnings as errors" OFF)
target_compile_options(kestrane_config INTERFACE
  $<$<OR:$<CONFIG:Debug>,$<BOOL:${KESTRANE_WERROR}>>:-Werror>)
# GCC 12 reports std::string concatenations as overlapping copies at -O2 and above (its bug
# 105329); the warning says nothing about our code there.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(kestrane_config INTERFACE -Wno-restrict)
endif()
target_compile_definitions(kestrane_config INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_CAST_FROM_BYTEARRAY
  QT_NO_CONTEXTLESS_CONNECT QT_NO_URL_CAST_FROM_STRING QT_USE_QSTRINGBUILDER
  QT_NO_FOREACH QT_NO_KEYWORDS)
target_include_directories(kestrane_config INTERFACE ${CMAKE_SOURCE_DIR})

if(KESTRANE_SANITIZE)
  target_compile_options(kestrane_config INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(kestrane_config INTERFACE -fsanitize=address,undefined)
endif()
