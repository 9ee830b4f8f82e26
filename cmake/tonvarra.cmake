# tonvarra_module(name folder DEPS ...): a static library tonvarra_<name> from every .cpp directly in
# <folder>/, linked to the libraries of the floors below it that it uses. Files are found by glob
# so that adding a module file needs no edit here; a new dependency on a lower floor is one word in
# the DEPS list of CMakeLists.txt, and an include of a higher floor fails to link.
function(tonvarra_module name folder)
  cmake_parse_arguments(MODULE "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
  if(NOT sources)
    set(sources ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(tonvarra_${name} STATIC ${sources})
  target_include_directories(tonvarra_${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(tonvarra_${name} PUBLIC ${MODULE_DEPS})
endfunction()

# tonvarra_test(name LIBS ... [FILTER expr]): one GoogleTest executable from tests/<name>/*.cpp
# linked to the given libraries only, its cases registered with CTest (those FILTER lets through,
# when given). A test that reaches above its folder's floor fails to link.
function(tonvarra_test name)
  cmake_parse_arguments(TEST "" "FILTER" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${name}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(test_${name} ${sources})
  target_link_libraries(test_${name} PRIVATE ${TEST_LIBS} tonvarra_test_support GTest::gtest GTest::gtest_main)
  if(NOT TEST_FILTER)
    set(TEST_FILTER "*")
  endif()
  gtest_discover_tests(test_${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 TEST_FILTER "${TEST_FILTER}"
    PROPERTIES ENVIRONMENT "TONVARRA_BINARY=$<TARGET_FILE:tonvarra>;TONVARRA_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()
