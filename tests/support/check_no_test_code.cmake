# cmake -DNM=<nm> -DPROGRAM=<program> -DLIBRARIES=<lib;...> [-DEXPECT=present]
#       -P check_no_test_code.cmake
# Fails when PROGRAM defines a function that one of the test support
# LIBRARIES defines: the programs users get hold no code only tests use.
# With EXPECT=present it is the other way round (a test program must hold
# them), which shows the check finds such functions at all.
cmake_minimum_required(VERSION 3.25)
if(NOT NM OR NOT PROGRAM OR NOT LIBRARIES)
  message(FATAL_ERROR "check_no_test_code.cmake needs NM, PROGRAM and LIBRARIES")
endif()

# The global functions a file defines, by their linker names.
function(defined_functions file out)
  execute_process(COMMAND ${NM} --defined-only ${file}
    OUTPUT_VARIABLE listing RESULT_VARIABLE status ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${NM} --defined-only ${file} failed: ${errors}")
  endif()
  string(REGEX MATCHALL "[0-9a-fA-F]+ T [^\r\n]+" lines "${listing}")
  set(names "")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[0-9a-fA-F]+ T " "" name "${line}")
    # Standard library templates instantiated in a test library (std::string
    # and std::filesystem members) are the program's own as well: PE files
    # list such shared copies as plain functions.
    if(NOT name MATCHES "^_*_Z[NZK]*St")
      list(APPEND names "${name}")
    endif()
  endforeach()
  set(${out} "${names}" PARENT_SCOPE)
endfunction()

set(test_functions "")
foreach(library IN LISTS LIBRARIES)
  defined_functions(${library} names)
  list(APPEND test_functions ${names})
endforeach()
defined_functions(${PROGRAM} program_functions)
if(NOT test_functions OR NOT program_functions)
  message(FATAL_ERROR "no functions found in ${LIBRARIES} or ${PROGRAM}: stripped?")
endif()

set(found "")
foreach(name IN LISTS test_functions)
  if(name IN_LIST program_functions)
    list(APPEND found ${name})
  endif()
endforeach()
list(LENGTH test_functions total)
if(EXPECT STREQUAL "present")
  if(NOT found)
    message(FATAL_ERROR "${PROGRAM} holds none of the ${total} test support functions")
  endif()
  list(LENGTH found count)
  message(STATUS "${PROGRAM} holds ${count} of the ${total} test support functions")
elseif(found)
  string(REPLACE ";" "\n  " shown "${found}")
  message(FATAL_ERROR "${PROGRAM} holds test support functions:\n  ${shown}")
else()
  message(STATUS "${PROGRAM} holds none of the ${total} test support functions")
endif()
