# cmake -DCPACK=<cpack> -DCONFIG=<CPackConfig.cmake> -DWORK=<folder> -DNAME=<zip name>
#       -DOBJDUMP=<objdump> -DCHECK_IMPORTS=<CheckImports.cmake> -P check_package.cmake
# Builds the release zip and checks that it holds exactly the two programs,
# the user guide and the licence, and that the packaged programs import only
# Windows' own DLLs and carry their version resource.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${CPACK} -G ZIP --config ${CONFIG} -B ${WORK}
  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0 OR NOT EXISTS ${WORK}/${NAME})
  message(FATAL_ERROR "cpack did not make ${NAME}: ${output}")
endif()
file(MAKE_DIRECTORY ${WORK}/unzipped)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${WORK}/${NAME} WORKING_DIRECTORY ${WORK}/unzipped
  RESULT_VARIABLE status)
file(GLOB_RECURSE found RELATIVE ${WORK}/unzipped ${WORK}/unzipped/*)
list(SORT found)
set(expected LICENSE.txt QUILLMER.EXE USER_GUIDE.txt quillmer-cli.exe)
if(NOT status EQUAL 0 OR NOT found STREQUAL expected)
  message(FATAL_ERROR "${NAME} holds [${found}], expected [${expected}]")
endif()
foreach(program IN ITEMS QUILLMER.EXE quillmer-cli.exe)
  execute_process(COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${OBJDUMP} -DFILE=${WORK}/unzipped/${program}
    -P ${CHECK_IMPORTS} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${program} in ${NAME} imports DLLs that are not Windows' own")
  endif()
  # VS_VERSION_INFO and "1.1" are stored as UTF-16 in the resource.
  file(READ ${WORK}/unzipped/${program} bytes HEX)
  string(FIND "${bytes}" "560053005f00560045005200530049004f004e005f0049004e0046004f" info)
  string(FIND "${bytes}" "460069006c006500560065007200730069006f006e000000000031002e0031" version)
  if(info EQUAL -1 OR version EQUAL -1)
    message(FATAL_ERROR "${program} in ${NAME} has no version resource 1.1")
  endif()
endforeach()
message(STATUS "${NAME}: ${found}")
file(REMOVE_RECURSE ${WORK})
