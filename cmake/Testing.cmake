# GoogleTest from the sources Debian's googletest package installs, built in
# this tree for every preset, so the native, sanitizer and MinGW builds share
# one way of getting it.
set(QUILLMER_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree")
if(NOT TARGET GTest::gtest_main)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(${QUILLMER_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/_googletest EXCLUDE_FROM_ALL)
  if(NOT TARGET GTest::gtest_main)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
endif()

include(GoogleTest)

# Every build runs its tests: natively, or under Wine through the
# cross-compiling emulator (scripts/wine-run for win64, scripts/wine32-run for
# win32). Off, the MinGW trees only build their programs and inspect files.
option(QUILLMER_CAN_RUN_TESTS "Run the test programs (under Wine in the MinGW builds)" ON)

# The binary tools the file inspections use, found here once.
if(WIN32)
  find_program(QUILLMER_OBJDUMP NAMES ${QUILLMER_MINGW_TRIPLE}-objdump objdump REQUIRED)
  find_program(QUILLMER_NM NAMES ${QUILLMER_MINGW_TRIPLE}-nm REQUIRED)
else()
  find_program(QUILLMER_NM NAMES nm REQUIRED)
endif()

# quillmer_check_static_runtime(<target>)
# In the MinGW builds: a CTest test that fails when the target's file imports
# a DLL beyond Windows' own (the C++, GCC or pthread runtime linked dynamically).
function(quillmer_check_static_runtime target)
  if(WIN32)
    add_test(NAME ${target}_imports_only_windows_dlls
      COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${QUILLMER_OBJDUMP} -DFILE=$<TARGET_FILE:${target}>
              -P ${PROJECT_SOURCE_DIR}/cmake/CheckImports.cmake)
  endif()
endfunction()

# quillmer_add_gtest(<target> <sources>... LIBS <libs>...)
# Natively every test case becomes its own CTest test. In the MinGW builds
# the whole program is one CTest test, run under Wine through the
# cross-compiling emulator: discovering cases would start Wine once more per
# program.
function(quillmer_add_gtest target)
  cmake_parse_arguments(arg "" "" "LIBS" ${ARGN})
  add_executable(${target} ${arg_UNPARSED_ARGUMENTS})
  target_link_libraries(${target} PRIVATE ${arg_LIBS} GTest::gtest_main quillmer_warnings)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${target} COMMAND ${target} --gtest_color=no)
  else()
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
