# Helpers shared by every directory's CMakeLists.

set(ZX_SOURCE_ROOT ${CMAKE_SOURCE_DIR}/src)

function(zx_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-unused-parameter)
  if(ZX_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# One static library per engine directory, built from every .cpp in it.
# Directories still without sources become interface libraries so that the
# dependency chain can be declared before the code lands.
function(zx_engine_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${ZX_SOURCE_ROOT})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    zx_warnings(${name})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${ZX_SOURCE_ROOT})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# One GoogleTest executable per test directory, built from every .cpp in it.
function(zx_test_directory name)
  cmake_parse_arguments(ARG "" "" "LIBS;ENVIRONMENT" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    message(FATAL_ERROR "${CMAKE_CURRENT_SOURCE_DIR} is a test directory without tests")
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    ZX_FIXTURES_DIR="${CMAKE_SOURCE_DIR}/tests/fixtures"
    ZX_SAMPLES_DIR="${CMAKE_SOURCE_DIR}/assets/samples")
  zx_warnings(${name})
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "${ARG_ENVIRONMENT}" TIMEOUT 300)
endfunction()
