# Helpers that keep every folder's CMakeLists short.
#
# Each source folder is one object library: object libraries keep every object file,
# so classes that register themselves through static objects are never dropped by the
# linker, in the module and in the tests alike.

# qz_folder_library(<name> [DEPENDS <lib>...]): the .cpp files of the current folder.
function(qz_folder_library name)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  # A folder whose classes all moved elsewhere keeps its name for those that link it.
  if(NOT sources)
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    if(ARG_DEPENDS)
      target_link_libraries(${name} INTERFACE ${ARG_DEPENDS})
    endif()
    return()
  endif()
  add_library(${name} OBJECT ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  if(ARG_DEPENDS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
  endif()
  set_property(GLOBAL APPEND PROPERTY QZ_MODULE_LIBRARIES ${name})
endfunction()

# qz_gtest_checks(<test> [TIMEOUT <seconds>]): a GoogleTest executable counts as passed
# only when GoogleTest printed its own summary of at least one passed test and no failure.
# A crash, a kill or an early exit leaves no summary and fails whatever the exit status
# says; a non-zero status is named by scripts/wine-run.sh and fails too. A hang fails at
# the timeout (120 s unless given).
function(qz_gtest_checks test)
  cmake_parse_arguments(ARG "" "TIMEOUT" "" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  set_tests_properties(${test} PROPERTIES
    ENVIRONMENT "QZ_BUILD_DIR=${PROJECT_BINARY_DIR};QZ_TEST_NAME=${test}"
    PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] [1-9][0-9]* tests?\\."
    FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\];wine-run: .* ended with exit status"
    TIMEOUT ${ARG_TIMEOUT})
endfunction()

# qz_test_suite(<name> <folder> LIBS <lib>... [TIMEOUT <seconds>]): one test executable
# made of every *Test.cpp under tests/<folder>, run under Wine as one CTest test.
function(qz_test_suite name folder)
  cmake_parse_arguments(ARG "" "TIMEOUT" "LIBS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp)
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} qz_test_support)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  if(ARG_TIMEOUT)
    qz_gtest_checks(${name} TIMEOUT ${ARG_TIMEOUT})
  else()
    qz_gtest_checks(${name})
  endif()
endfunction()
