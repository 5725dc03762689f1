# Compiler settings shared by every target of the project.

add_compile_options(-Wall -Wextra)
# g++ 12 at -O3 reports overlapping copies inside the standard library's own
# operator+(const char*, std::string&&), so that a plain "x" + std::to_string(n) stops a
# Release build; the report is a false alarm of that compiler's analysis, not of the code.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  add_compile_options(-Wno-restrict)
endif()
# Warnings stop the build where the compiler is the one the project is checked with
# (tools/build.sh, CI); someone building by hand with another compiler is only told.
if(QUARNEL_WARNINGS_AS_ERRORS)
  add_compile_options(-Werror)
endif()

if(QUARNEL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(QUARNEL_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "The fuzz targets need clang: configure with CXX=clang++")
  endif()
  # Instrument all project code for coverage; only the fuzz targets link the driver.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
  set(CMAKE_CXX_COMPILER_LAUNCHER ${CCACHE_PROGRAM})
  set(CMAKE_C_COMPILER_LAUNCHER ${CCACHE_PROGRAM})
endif()
