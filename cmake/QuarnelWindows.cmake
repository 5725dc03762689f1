# The Windows build: cross-compiled with mingw-w64 (cmake/mingw-w64-i686.cmake), its tests
# run under Wine. Sets up what find_package finds on Linux: the header-only libraries from
# Debian's packages, and GoogleTest built from Debian's sources.

# Programs and the library import only system DLLs: the C++ runtime is linked in.
add_link_options(-static)
# 32-bit programs may use 4 GB of address space on 64-bit Windows (large shows).
set(CMAKE_EXE_LINKER_FLAGS "${CMAKE_EXE_LINKER_FLAGS} -Wl,--large-address-aware")
# Windows headers: the wide-character calls, no min and max macros, Windows 7 and later.
add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601)
# Floating point in SSE2 registers, rounded to double after every step as on x86-64 Linux,
# so that the same input gives the same bytes (the x87 unit's wider registers round
# differently). Every PC of the product's time has SSE2.
add_compile_options(-msse2 -mfpmath=sse)

find_package(Threads REQUIRED)

# Header-only libraries: their folders alone, so that the cross compiler never sees the
# build machine's own system headers.
set(quarnel_host_headers ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${quarnel_host_headers})
foreach(folder nlohmann CLI)
  if(NOT EXISTS /usr/include/${folder})
    message(FATAL_ERROR "/usr/include/${folder} is missing: run tools/setup.sh")
  endif()
  file(CREATE_LINK /usr/include/${folder} ${quarnel_host_headers}/${folder} SYMBOLIC)
endforeach()
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
add_library(CLI11::CLI11 INTERFACE IMPORTED)
set_target_properties(nlohmann_json::nlohmann_json CLI11::CLI11 PROPERTIES
                      INTERFACE_INCLUDE_DIRECTORIES ${quarnel_host_headers})

# How a test running on Windows under Wine sees a path of the build machine: Wine shows
# the build machine's root as drive Z:.
set(QUARNEL_TEST_PATH_PREFIX "Z:")

if(QUARNEL_BUILD_TESTS)
  set(quarnel_gtest_source /usr/src/googletest)
  if(NOT EXISTS ${quarnel_gtest_source}/CMakeLists.txt)
    message(FATAL_ERROR "${quarnel_gtest_source} is missing: run tools/setup-windows.sh")
  endif()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${quarnel_gtest_source} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # GoogleTest's own code is not held to the project's warnings (it names its targets
  # GTest::gtest and so on, as the installed package does).
  foreach(target gtest gtest_main gmock gmock_main)
    target_compile_options(${target} PRIVATE -w)
  endforeach()
  include(GoogleTest)

  # Every test program runs under Wine through tools/wine.sh, in the build's own Wine
  # prefix, and through winrun.exe, which turns any failing exit code into a failing
  # status (Wine itself passes on only its low 8 bits, so a crash could read as 0).
  set(CMAKE_CROSSCOMPILING_EMULATOR
      ${PROJECT_SOURCE_DIR}/tools/wine.sh run ${CMAKE_BINARY_DIR}/wineprefix
      ${CMAKE_BINARY_DIR}/bin/winrun.exe)
  # Tests are listed when CTest runs, under Wine, not while building.
  set(QUARNEL_TEST_DISCOVERY PRE_TEST)
endif()
