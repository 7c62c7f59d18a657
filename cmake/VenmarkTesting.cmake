# One helper per kind of test, so every test gets the same environment.

# The listings' index goes to the build, never to the user's cache.
set(VENMARK_TEST_ENV "XDG_CACHE_HOME=${PROJECT_BINARY_DIR}/test-cache")
if(VENMARK_SANITIZE)
  list(APPEND VENMARK_TEST_ENV
       "ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1"
       "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
       "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/scripts/lsan.supp:print_suppressions=0")
endif()

# venmark_gtest(name SOURCES a.cc b.cc LIBS lib...)
function(venmark_gtest name)
  if(NOT VENMARK_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  if(CMAKE_CROSSCOMPILING)
    # GoogleTest built from Debian's sources for the target; the whole
    # program is one test, run by ctest through the emulator (Wine).
    if(NOT TARGET gtest)
      add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest
                       EXCLUDE_FROM_ALL SYSTEM)
    endif()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} gtest gtest_main)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 600)
    return()
  endif()
  find_package(GTest REQUIRED)
  include(GoogleTest)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES ENVIRONMENT "${VENMARK_TEST_ENV}"
    DISCOVERY_TIMEOUT 60)
endfunction()

# venmark_qtest(name SOURCES a.cc LIBS lib...): a Qt Test program on the
# offscreen platform, so it runs without a display.
function(venmark_qtest name)
  if(NOT VENMARK_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  find_package(Qt6 REQUIRED COMPONENTS Test)
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${VENMARK_TEST_ENV}"
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    TIMEOUT 300)
endfunction()
