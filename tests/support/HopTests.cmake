# hop_add_test(NAME <name> SOURCES <file>... [LIBS <lib>...] [KIND unit|gl|e2e]
#              [WORKDIR <dir>] [TIMEOUT <seconds>] [DEPENDS <target>...])
#
# Builds the GoogleTest program <name> (linked with GTest::gtest_main, and
# with hoptest for gl and e2e) and registers each of its cases with CTest.
# Cases are listed when CTest runs (DISCOVERY_MODE PRE_TEST), not at build
# time, so a sanitizer build that cannot run without its environment still
# builds. Cases are named <name>.<Suite>.<Test>, so `ctest -R boardhop`
# picks one game. Every case gets:
#   LABELS       the KIND (unit by default): ctest -L gl, ctest -LE e2e
#   WORKING_DIRECTORY  WORKDIR (default: the current binary folder)
#   TIMEOUT      TIMEOUT (default 300 s unit, 600 s gl, 1200 s e2e), times
#                HOPTEST_TIMEOUT_SCALE from the environment of ctest when
#                that holds a positive number (the same variable scales
#                each wait of an e2e test, see hoptest/e2e.h). These are
#                the limits of a whole case on a loaded machine; the waits
#                inside follow the program's progress.
#   ENVIRONMENT  HOPGAMES_DATA_DIR=<build>/test-data/<name> (saved best
#                scores stay in the build tree); gl and e2e:
#                ASAN_OPTIONS=detect_leaks=0 (Mesa and the X libraries keep
#                allocations until exit); gl also SDL_VIDEODRIVER=offscreen.
#   RESOURCE_LOCK  e2e: hoptest_display, so that two programs under test
#                never run at once and compete for the cores.
# DEPENDS adds build-order dependencies, e.g. the game an e2e test starts.
# An e2e test learns where its game is from a compile definition, set by the
# caller after this call (the target is named <name>):
#   target_compile_definitions(<name> PRIVATE BOARDHOP_BIN="$<TARGET_FILE:boardhop>")
set(HOP_TEST_SUPPORT_DIR ${CMAKE_CURRENT_LIST_DIR} CACHE INTERNAL "headers shared by every test")

function(hop_add_test)
  cmake_parse_arguments(T "" "NAME;KIND;WORKDIR;TIMEOUT" "SOURCES;LIBS;DEPENDS" ${ARGN})
  if(NOT T_NAME OR NOT T_SOURCES)
    message(FATAL_ERROR "hop_add_test: NAME and SOURCES are required")
  endif()
  if(NOT T_KIND)
    set(T_KIND unit)
  endif()
  if(NOT T_KIND MATCHES "^(unit|gl|e2e)$")
    message(FATAL_ERROR "hop_add_test(${T_NAME}): KIND must be unit, gl or e2e, not '${T_KIND}'")
  endif()
  if(NOT T_WORKDIR)
    set(T_WORKDIR ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  if(NOT T_TIMEOUT)
    set(timeouts unit 300 gl 600 e2e 1200)
    list(FIND timeouts ${T_KIND} i)
    math(EXPR i "${i} + 1")
    list(GET timeouts ${i} T_TIMEOUT)
  endif()

  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest_main)
  # Header-only helpers (synthetic SDL events) serve every kind of test.
  target_include_directories(${T_NAME} PRIVATE ${HOP_TEST_SUPPORT_DIR})
  if(T_DEPENDS)
    add_dependencies(${T_NAME} ${T_DEPENDS})
  endif()

  if(NOT T_KIND STREQUAL "unit")
    target_link_libraries(${T_NAME} PRIVATE hoptest)
  endif()
  gtest_discover_tests(${T_NAME}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    WORKING_DIRECTORY ${T_WORKDIR}
    TEST_LIST ${T_NAME}_TESTS
    TEST_PREFIX "${T_NAME}."
    PROPERTIES LABELS ${T_KIND})

  # The environment cannot go through PROPERTIES above: its list is
  # flattened on the way, whatever the escaping. The timeout is scaled when
  # CTest runs, not when CMake does. This file runs in CTest after the
  # discovery script (include files run in the order they were added) and
  # sets them on the cases it found.
  set(props "TIMEOUT \${timeout}")
  # Best scores a game saves go to a folder of the build tree, never to the
  # home of whoever runs the tests (an end-to-end session gives each game
  # its own folder again).
  set(env "HOPGAMES_DATA_DIR=${CMAKE_BINARY_DIR}/test-data/${T_NAME}")
  if(NOT T_KIND STREQUAL "unit")
    string(APPEND env ";ASAN_OPTIONS=detect_leaks=0")
    if(T_KIND STREQUAL "gl")
      string(APPEND env ";SDL_VIDEODRIVER=offscreen")
    endif()
  endif()
  string(APPEND props " ENVIRONMENT \"${env}\"")
  if(T_KIND STREQUAL "e2e")
    string(APPEND props " RESOURCE_LOCK hoptest_display")
  endif()
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}_environment.cmake)
  file(WRITE ${script}
    "if(${T_NAME}_TESTS)\n"
    "  include(${HOP_TEST_SUPPORT_DIR}/ScaledTimeout.cmake)\n"
    "  hop_scaled_timeout(timeout ${T_TIMEOUT})\n"
    "  set_tests_properties(\${${T_NAME}_TESTS} PROPERTIES ${props})\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
endfunction()
