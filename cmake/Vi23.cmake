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

# A test executable from the given sources, linked with GoogleTest and registered with CTest. With
# SERVER its cases may use the test server (tests/CMakeLists.txt), named to them by VI23_TEST_PG;
# with OWN_MAIN one of the sources holds main() (a GUI application for the printed forms).
function(vi23_add_test name)
  cmake_parse_arguments(T "SERVER;OWN_MAIN" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  vi23_test_today(${name})
  vi23_warnings(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest)
  if(NOT T_OWN_MAIN)
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  set(server)
  if(T_SERVER)
    set(server FIXTURES_REQUIRED vi23_server
        ENVIRONMENT_MODIFICATION "VI23_TEST_PG=set:host=${VI23_TEST_PG_DIR} port=5432 user=vi23")
  endif()
  # The discovered tests take the list's items one by one, so the server's properties come first.
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ${server} ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8")
endfunction()
