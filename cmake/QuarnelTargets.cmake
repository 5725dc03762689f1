# Helpers that keep the per-module CMakeLists short and alike.

# quarnel_test(<name> SOURCES <files...> LIBS <targets...> [TIMEOUT <seconds>] [SERIAL]
#              [FIXTURES <fixture>] [AFTER <tests...>])
# A GoogleTest program whose tests CTest runs one by one. SERIAL marks tests that bind
# fixed ports or measure time, so CTest never runs two of them at once. FIXTURES names
# the CTest fixture (a test that sets something up) the tests need first; AFTER names tests
# that must have ended before these start, when both run.
function(quarnel_test name)
  if(NOT QUARNEL_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "SERIAL" "TIMEOUT" "SOURCES;LIBS;FIXTURES;AFTER" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  set(props TIMEOUT ${T_TIMEOUT})
  if(T_SERIAL)
    list(APPEND props RESOURCE_LOCK quarnel_serial)
  endif()
  if(T_FIXTURES)
    # The discovered tests' properties cannot carry a list: a second fixture would be
    # dropped without a word. A test needing more names one whose set-up needs the rest.
    list(LENGTH T_FIXTURES fixture_count)
    if(fixture_count GREATER 1)
      message(FATAL_ERROR "quarnel_test(${name}): one fixture only (given: ${T_FIXTURES})")
    endif()
    list(APPEND props FIXTURES_REQUIRED ${T_FIXTURES})
  endif()
  if(T_AFTER)
    list(APPEND props DEPENDS "${T_AFTER}")
  endif()
  if(NOT QUARNEL_TEST_DISCOVERY)
    set(QUARNEL_TEST_DISCOVERY POST_BUILD)
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 DISCOVERY_MODE ${QUARNEL_TEST_DISCOVERY}
                       PROPERTIES ${props})
endfunction()

# quarnel_bench(<name> SOURCES <files...> LIBS <targets...>)
function(quarnel_bench name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS})
endfunction()

# quarnel_fuzz(<name> SOURCES <files...> LIBS <targets...>)
function(quarnel_fuzz name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endfunction()
