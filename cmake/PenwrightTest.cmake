# One test program per source folder, registered with ctest as a single test: each Wine start
# costs about a second, so the win64 build runs few, larger programs.
function(pw_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set(env "PW_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data")
  if(CMAKE_CROSSCOMPILING)
    list(APPEND env "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix")
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT 600 ENVIRONMENT "${env}" LABELS "${T_LABELS}")
endfunction()
