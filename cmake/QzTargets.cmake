# Helpers that keep every folder's CMakeLists short.
#
# Each source folder is one object library: object libraries keep every object file,
# so classes that register themselves through static objects are never dropped by the
# linker, in the module and in the tests alike.

# qz_folder_library(<name> [DEPENDS <lib>...]): the .cpp files of the current folder.
function(qz_folder_library name)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(${name} OBJECT ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  if(ARG_DEPENDS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
  endif()
  set_property(GLOBAL APPEND PROPERTY QZ_MODULE_LIBRARIES ${name})
endfunction()

# qz_test_suite(<name> <folder> LIBS <lib>...): one test executable made of every
# *Test.cpp under tests/<folder>, run under Wine as one CTest test.
function(qz_test_suite name folder)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp)
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} qz_test_support)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QZ_BUILD_DIR=${PROJECT_BINARY_DIR}"
    TIMEOUT 900)
endfunction()
