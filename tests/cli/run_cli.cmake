# cmake -DPROGRAM=<quillmer-cli> [-DEMULATOR=<wine-run>] -DMAIL=<folder> -DWORK=<scratch>
#       -DARGS=<a;b;...> -DSTATUS=<exit status> [-DEXPECTED=<file;file...>] [-DCRLF=ON]
#       -P run_cli.cmake
# Runs the real program as a whole process in a copy of the mail folder and
# checks its exit status, its standard output byte for byte (the expected
# files joined, in either order when there are two: the catalogue follows
# the listing's order), that an error gives exactly one line on standard
# error, and that the folder's files are unchanged afterwards. CRLF=ON: the
# expected files are text whose LF line ends the program writes as CR LF.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(COPY ${MAIL}/ DESTINATION ${WORK}/mail)
file(GLOB files RELATIVE ${WORK}/mail ${WORK}/mail/*)

function(folder_digest out)
  set(digest "")
  foreach(f IN LISTS files)
    file(SHA256 ${WORK}/mail/${f} h)
    string(APPEND digest "${f}=${h};")
  endforeach()
  file(GLOB now RELATIVE ${WORK}/mail ${WORK}/mail/*)
  set(${out} "${digest}|${now}" PARENT_SCOPE)
endfunction()

folder_digest(before)
execute_process(COMMAND ${EMULATOR} ${PROGRAM} ${ARGS}
  WORKING_DIRECTORY ${WORK}/mail
  OUTPUT_FILE ${WORK}/stdout ERROR_FILE ${WORK}/stderr RESULT_VARIABLE status)
folder_digest(after)
file(READ ${WORK}/stdout out HEX)
file(READ ${WORK}/stderr err)

if(NOT status STREQUAL STATUS)
  message(FATAL_ERROR "exit status ${status}, expected ${STATUS}; stderr: ${err}")
endif()
if(NOT before STREQUAL after)
  message(FATAL_ERROR "the mail folder changed:\n${before}\n${after}")
endif()
if(STATUS EQUAL 2)
  string(REGEX MATCHALL "\n" breaks "${err}")
  list(LENGTH breaks lines)
  if(NOT lines EQUAL 1 OR NOT err MATCHES "^quillmer-cli: ")
    message(FATAL_ERROR "expected one error line, got: [${err}]")
  endif()
elseif(NOT err STREQUAL "")
  message(FATAL_ERROR "unexpected standard error: ${err}")
endif()

set(wanted "")
foreach(e IN LISTS EXPECTED)
  file(READ ${e} part HEX)
  if(CRLF)
    # Per byte pair, so that a 0a inside another byte pair is left alone.
    string(REGEX REPLACE "(..)" "\\1 " part "${part}")
    string(REPLACE "0a " "0d0a " part "${part}")
    string(REPLACE " " "" part "${part}")
  endif()
  list(APPEND wanted "${part}")
endforeach()
list(LENGTH wanted count)
if(count EQUAL 0)
  set(orders "")
elseif(count EQUAL 1)
  set(orders "${wanted}")
else()
  list(GET wanted 0 a)
  list(GET wanted 1 b)
  set(orders "${a}${b}" "${b}${a}")
endif()
if(count EQUAL 0)
  if(NOT out STREQUAL "")
    message(FATAL_ERROR "expected no output, got hex ${out}")
  endif()
elseif(NOT out IN_LIST orders)
  message(FATAL_ERROR "standard output differs\n got (hex): ${out}\nwant (hex): ${orders}")
endif()
file(REMOVE_RECURSE ${WORK})
