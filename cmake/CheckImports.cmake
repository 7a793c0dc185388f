# cmake -DOBJDUMP=<objdump> -DFILE=<exe or dll> -P CheckImports.cmake
# Fails when the file imports a DLL that is not part of Windows itself, such as
# the MinGW C++, GCC or winpthread runtime: the program must run from a bare
# folder on a bare system.
cmake_minimum_required(VERSION 3.25)
if(NOT OBJDUMP OR NOT FILE)
  message(FATAL_ERROR "CheckImports.cmake needs OBJDUMP and FILE")
endif()
execute_process(COMMAND ${OBJDUMP} -p ${FILE}
  OUTPUT_VARIABLE dump RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${FILE} failed: ${errors}")
endif()
string(REGEX MATCHALL "DLL Name: [^\r\n]+" lines "${dump}")
if(NOT lines)
  message(FATAL_ERROR "${FILE}: no imports found; not a PE file?")
endif()
set(windows_dlls
  advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll
  oleaut32.dll riched32.dll shell32.dll shlwapi.dll user32.dll uxtheme.dll version.dll ws2_32.dll)
set(foreign "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^DLL Name: *" "" dll "${line}")
  string(STRIP "${dll}" dll)
  string(TOLOWER "${dll}" lower)
  message(STATUS "imports ${dll}")
  if(NOT lower IN_LIST windows_dlls)
    list(APPEND foreign ${dll})
  endif()
endforeach()
if(foreign)
  message(FATAL_ERROR "${FILE} needs DLLs that are not Windows' own: ${foreign}")
endif()
