# Test registration shared by both builds. A Windows test is compiled by the
# Windows build and registered by the native build, which runs it under Wine
# through the harness; so one ctest run covers everything.

set(TELLISTRY_HARNESS ${CMAKE_SOURCE_DIR}/tests/harness/wine.sh)
set(TELLISTRY_TEST_ENV
  "TELLISTRY_WINE_DIR=${CMAKE_BINARY_DIR}/wine;TELLISTRY_WIN_BIN=${TELLISTRY_WIN_BIN};TELLISTRY_SOURCE=${CMAKE_SOURCE_DIR};TELLISTRY_NATIVE_BIN=${CMAKE_BINARY_DIR}")

# Every test source that a CTest test runs, so that configuration can refuse
# a *_test.cpp that nothing runs (tellistry_check_tests_registered).
function(tellistry_note_test_sources)
  foreach(source IN LISTS ARGN)
    cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} NORMALIZE)
    set_property(GLOBAL APPEND PROPERTY TELLISTRY_TEST_SOURCES ${source})
  endforeach()
endfunction()

# CTest registrations live in the native build; call after every test
# folder has been added.
function(tellistry_check_tests_registered)
  if(WIN32)
    return()
  endif()
  file(GLOB_RECURSE tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/*_test.cpp)
  get_property(registered GLOBAL PROPERTY TELLISTRY_TEST_SOURCES)
  set(missing)
  foreach(test IN LISTS tests)
    if(NOT test IN_LIST registered)
      list(APPEND missing ${test})
    endif()
  endforeach()
  if(missing)
    list(JOIN missing "\n  " missing)
    message(FATAL_ERROR "Test sources that no test runs (register them in their CMakeLists.txt):\n  ${missing}")
  endif()
endfunction()

# tellistry_native_test(name SOURCES ... [LIBS ...])
function(tellistry_native_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT WIN32)
    tellistry_note_test_sources(${T_SOURCES})
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
    tellistry_note_test_sources(${T_SOURCES})
    add_test(NAME wine.${name}
             COMMAND ${TELLISTRY_HARNESS} run ${TELLISTRY_WIN_BIN}/${name}.exe)
    tellistry_wine_fixture(wine.${name} "${T_RESOURCE_LOCK}")
  endif()
endfunction()

# tellistry_wine_command_test(name COMMAND ... [SOURCES ...] [RESOURCE_LOCK ...])
# Any command run with the Wine environment (WINEPREFIX, DISPLAY, WINEDEBUG,
# TELLISTRY_WIN_BIN) set; for scripts that drive several programs. SOURCES
# names the sources of a test program that the command runs.
function(tellistry_wine_command_test name)
  cmake_parse_arguments(T "" "" "COMMAND;SOURCES;RESOURCE_LOCK" ${ARGN})
  if(NOT WIN32)
    tellistry_note_test_sources(${T_SOURCES})
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

# tellistry_shipped(target): a program that goes to the user's machine. It
# lands in bin/ without debug information (static libstdc++ alone brings
# megabytes of it); the full copy goes to debug/NAME.debug beside bin/, named
# in the program by a debug link, for debuggers and crash analysis. The test
# programs link the same libraries and keep their debug information.
function(tellistry_shipped target)
  if(WIN32)
    set(debug_dir ${CMAKE_BINARY_DIR}/debug)
    set(debug_file ${debug_dir}/$<TARGET_FILE_NAME:${target}>.debug)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E make_directory ${debug_dir}
      COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> ${debug_file}
      COMMAND ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=${debug_file} $<TARGET_FILE:${target}>
      VERBATIM)
  endif()
endfunction()
