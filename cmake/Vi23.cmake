# Warnings are errors in our own code only; system headers stay quiet.
function(vi23_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
endfunction()

# The tests run on one fixed day, whatever the machine's date: the sample data, the defaults of new rows
# and the daily backup's name all take the program's today (set by tests/FixedToday.cpp).
set(VI23_TEST_TODAY "09.12.2026")
function(vi23_test_today target)
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests/FixedToday.cpp)
  target_compile_definitions(${target} PRIVATE VI23_TEST_TODAY="${VI23_TEST_TODAY}")
endfunction()

# A test executable from the given sources, linked with GoogleTest and registered with CTest.

function(vi23_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  vi23_test_today(${name})
  vi23_warnings(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8")
endfunction()
