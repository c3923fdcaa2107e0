# One test program per test folder, registered with ctest as a single test: each Wine start
# costs about a second, so the win64 build runs few, larger programs.
#   pw_add_test(NAME FOLDER tests/x LIBS ... [LABELS ...])
# Every program knows the repository as it opens it (under Wine the Linux root is drive Z:):
# PW_SOURCE_DIR, and PW_CONFIG_DIR, the folder of the configuration we ship.
set(pw_source_dir "${PROJECT_SOURCE_DIR}")
if(CMAKE_CROSSCOMPILING)
  set(pw_source_dir "Z:${pw_source_dir}")
endif()

function(pw_add_test name)
  cmake_parse_arguments(T "" "FOLDER" "LIBS;LABELS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${T_FOLDER}/*.cpp)
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE PW_SOURCE_DIR="${pw_source_dir}"
                                             PW_CONFIG_DIR="${pw_source_dir}/config/EditConfig")
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set(env "PW_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data")
  if(CMAKE_CROSSCOMPILING)
    list(APPEND env "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix")
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT 600 ENVIRONMENT "${env}" LABELS "${T_LABELS}")
endfunction()
