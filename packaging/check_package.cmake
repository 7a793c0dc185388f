# cmake -DCPACK=<cpack> -DCONFIG=<CPackConfig.cmake> -DWORK=<folder> -DNAME=<zip name>
#       -DVERSION=<version> -P check_package.cmake
# Builds the release zip and checks that it holds exactly the two programs,
# the user guide and the licence, and that the packaged programs carry their
# version resource with VERSION. (Their imports are checked where they are
# built; stripping does not change them.)
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
string(HEX "${VERSION}" version_utf16)
string(REGEX REPLACE "(..)" "\\100" version_utf16 "${version_utf16}")
foreach(program IN ITEMS QUILLMER.EXE quillmer-cli.exe)
  # VS_VERSION_INFO and "FileVersion" with its value are stored as UTF-16
  # in the resource.
  file(READ ${WORK}/unzipped/${program} bytes HEX)
  string(FIND "${bytes}" "560053005f00560045005200530049004f004e005f0049004e0046004f" info)
  string(FIND "${bytes}" "460069006c006500560065007200730069006f006e0000000000${version_utf16}"
    version)
  if(info EQUAL -1 OR version EQUAL -1)
    message(FATAL_ERROR "${program} in ${NAME} has no version resource ${VERSION}")
  endif()
endforeach()
message(STATUS "${NAME}: ${found}")
file(REMOVE_RECURSE ${WORK})
