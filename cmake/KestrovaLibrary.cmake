# kestrova_library(NAME DEPS...): a static library from every .cpp of the
# calling folder, headers included as "<folder>/<file>.h" from src/.
function(kestrova_library name)
  file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER _sources EXCLUDE REGEX ".*_win32\\.cpp$")
  list(FILTER _sources EXCLUDE REGEX ".*_posix\\.cpp$")
  if(WIN32)
    file(GLOB _platform CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_win32.cpp)
  else()
    file(GLOB _platform CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_posix.cpp)
  endif()
  add_library(${name} STATIC ${_sources} ${_platform})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARGN} PRIVATE kestrova_warnings)
endfunction()

# kestrova_test(NAME DEPS...): one GoogleTest program from every *_test.cpp of
# the calling folder; FIXTURE_DIR points at the folder's fixtures/ and
# KESTROVA_CLI at the command-line program, for end-to-end tests.
function(kestrova_test name)
  file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT _sources)
    return()
  endif()
  add_executable(${name} ${_sources})
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gtest_main kestrova_warnings)
  target_compile_definitions(${name} PRIVATE
    FIXTURE_DIR="${CMAKE_CURRENT_SOURCE_DIR}/fixtures"
    BINARY_DIR="${PROJECT_BINARY_DIR}"
    KESTROVA_CLI="$<TARGET_FILE:kestrova-cli>")
  add_dependencies(${name} kestrova-cli)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
endfunction()
