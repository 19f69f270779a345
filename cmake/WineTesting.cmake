# Tests run only in the 64-bit build: this machine cannot execute 32-bit code.
# The 32-bit build still compiles and links every test program.
set(LAUNCHER_RUN_TESTS OFF)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(LAUNCHER_RUN_TESTS ON)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_SOURCE_DIR}/scripts/wine-run.sh;${CMAKE_BINARY_DIR}")
  include(GoogleTest)

  # One prefix, one wineserver and one X display for the whole ctest run.
  add_test(NAME wine_env_start COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-env.sh start ${CMAKE_BINARY_DIR})
  add_test(NAME wine_env_stop COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-env.sh stop ${CMAKE_BINARY_DIR})
  set_tests_properties(wine_env_start PROPERTIES FIXTURES_SETUP wine_env TIMEOUT 180)
  set_tests_properties(wine_env_stop PROPERTIES FIXTURES_CLEANUP wine_env)
endif()

# Registers every test of a GoogleTest program with ctest (listed at test
# time through Wine, so building never needs Wine).
function(launcher_add_gtest target)
  if(LAUNCHER_RUN_TESTS)
    gtest_discover_tests(${target}
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 120
      WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
      PROPERTIES FIXTURES_REQUIRED wine_env TIMEOUT 300)
  endif()
endfunction()

# Registers a Python test that drives Windows programs on the shared X
# display through tests/support/gui_harness.py. GUI tests take turns on the
# display, so a click or a key can only reach the test's own window.
# Usage: launcher_add_gui_test(NAME SCRIPT)
function(launcher_add_gui_test name script)
  if(LAUNCHER_RUN_TESTS)
    add_test(NAME ${name} COMMAND /usr/bin/python3 ${script})
    set_tests_properties(${name} PROPERTIES
      FIXTURES_REQUIRED wine_env
      RESOURCE_LOCK x_display
      TIMEOUT 300
      ENVIRONMENT "LAUNCHER_BUILD_DIR=${CMAKE_BINARY_DIR};PYTHONDONTWRITEBYTECODE=1")
  endif()
endfunction()
