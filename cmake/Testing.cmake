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

# quillmer_add_gtest(<target> <sources>... LIBS <libs>...)
# Natively every test case becomes its own CTest test. In the MinGW builds the
# whole program is one CTest test, run under Wine through the cross-compiling
# emulator: discovering cases would start Wine once more per program.
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
