# tonvarra_module(name): a static library from every .cpp directly in the folder <name>/.
# Files are found by glob so that adding a module file needs no edit here.
set(TONVARRA_MODULES "")

function(tonvarra_module name)
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${name}/*.cpp)
  if(NOT sources)
    set(sources ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(tonvarra_${name} STATIC ${sources})
  target_include_directories(tonvarra_${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(tonvarra_${name} PUBLIC tonvarra_platform_headers)
  set(TONVARRA_MODULES ${TONVARRA_MODULES} tonvarra_${name} PARENT_SCOPE)
endfunction()

# tonvarra_test(name): one GoogleTest executable from tests/<name>/*.cpp, its cases registered with CTest.
function(tonvarra_test name)
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${name}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(test_${name} ${sources})
  target_link_libraries(test_${name} PRIVATE tonvarra_all tonvarra_test_support GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(test_${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "TONVARRA_BINARY=$<TARGET_FILE:tonvarra>;TONVARRA_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()
