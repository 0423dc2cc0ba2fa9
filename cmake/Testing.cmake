# trv81k_unit_test(NAME [LINUX_ONLY] SOURCES a.cpp b.cpp LIBS lib... [PROPERTIES NAME VALUE...])
# One GoogleTest executable per unit; every test case becomes a ctest entry. LINUX_ONLY: the
# test works with Linux's own means (descriptors, namespaces, signals, OpenSSL's configuration)
# and is left out of the Windows build.
# PROPERTIES: test properties for every test case of the unit (RUN_SERIAL TRUE, say).
find_package(GTest REQUIRED)
include(GoogleTest)
function(trv81k_unit_test name)
  cmake_parse_arguments(ARG "LINUX_ONLY" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  if(WIN32 AND ARG_LINUX_ONLY)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE TRV81K_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                             TRV81K_BINARY_DIR="${PROJECT_BINARY_DIR}")
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tests)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST TEST_PREFIX "${name}." DISCOVERY_TIMEOUT 30
                       PROPERTIES TIMEOUT 120 ${ARG_PROPERTIES})
endfunction()
