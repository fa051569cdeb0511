# Test registration shared by both builds. A Windows test is compiled by the
# Windows build and registered by the native build, which runs it under Wine
# through the harness; so one ctest run covers everything.

set(TELLISTRY_HARNESS ${CMAKE_SOURCE_DIR}/tests/harness/wine.sh)
set(TELLISTRY_TEST_ENV
  "TELLISTRY_WINE_DIR=${CMAKE_BINARY_DIR}/wine;TELLISTRY_WIN_BIN=${TELLISTRY_WIN_BIN};TELLISTRY_SOURCE=${CMAKE_SOURCE_DIR};TELLISTRY_NATIVE_BIN=${CMAKE_BINARY_DIR}")

# tellistry_native_test(name SOURCES ... [LIBS ...])
function(tellistry_native_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT WIN32)
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE portable ${T_LIBS} GTest::gtest_main)
    add_test(NAME native.${name} COMMAND ${name})
  endif()
endfunction()

# tellistry_wine_test(name SOURCES ... [LIBS ...] [RESOURCE_LOCK ...])
# A GoogleTest program for Windows, run under Wine.
function(tellistry_wine_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;RESOURCE_LOCK" ${ARGN})
  if(WIN32)
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} portable gtest_main)
  else()
    add_test(NAME wine.${name}
             COMMAND ${TELLISTRY_HARNESS} run ${TELLISTRY_WIN_BIN}/${name}.exe)
    tellistry_wine_fixture(wine.${name} "${T_RESOURCE_LOCK}")
  endif()
endfunction()

# tellistry_wine_command_test(name COMMAND ... [RESOURCE_LOCK ...])
# Any command run with the Wine environment (WINEPREFIX, DISPLAY, WINEDEBUG,
# TELLISTRY_WIN_BIN) set; for scripts that drive several programs.
function(tellistry_wine_command_test name)
  cmake_parse_arguments(T "" "" "COMMAND;RESOURCE_LOCK" ${ARGN})
  if(NOT WIN32)
    add_test(NAME wine.${name} COMMAND ${TELLISTRY_HARNESS} exec ${T_COMMAND})
    tellistry_wine_fixture(wine.${name} "${T_RESOURCE_LOCK}")
  endif()
endfunction()

function(tellistry_wine_fixture test locks)
  set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 600
    ENVIRONMENT "${TELLISTRY_TEST_ENV}")
  if(locks)
    set_tests_properties(${test} PROPERTIES RESOURCE_LOCK "${locks}")
  endif()
endfunction()
