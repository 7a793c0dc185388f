# cmake -DOBJDUMP=... -DPROGRAM=... -P check_export.cmake
# Passes when PROGRAM exports exactly one function, GETDISKDIR, by its plain
# name (no @n decoration, no leading underscore) at ordinal 1.
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM}
  OUTPUT_VARIABLE dump RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${PROGRAM} failed: ${status}")
endif()

string(FIND "${dump}" "The Export Tables" start)
if(start EQUAL -1)
  message(FATAL_ERROR "${PROGRAM} has no export table")
endif()
string(SUBSTRING "${dump}" ${start} -1 exports)
string(FIND "${exports}" "\n\n\n" stop)
if(NOT stop EQUAL -1)
  string(SUBSTRING "${exports}" 0 ${stop} exports)
endif()

set(failures "")
if(NOT exports MATCHES "Ordinal Base[ \t]+1\n")
  string(APPEND failures "ordinal base is not 1\n")
endif()
if(NOT exports MATCHES "Export Address Table[ \t]+0*1\n")
  string(APPEND failures "not exactly one exported address\n")
endif()
if(NOT exports MATCHES "\\[Name Pointer/Ordinal\\] Table[ \t]+0*1\n")
  string(APPEND failures "not exactly one exported name\n")
endif()
# The name table row: [index into the ordinal table] name. Index 0 with
# ordinal base 1 is ordinal 1.
if(NOT exports MATCHES "\\[Ordinal/Name Pointer\\] Table[^\n]*\n[ \t]+\\[ +0\\] GETDISKDIR(\n|$)")
  string(APPEND failures "GETDISKDIR is not the plain name at ordinal 1\n")
endif()
if(failures)
  message(FATAL_ERROR "${PROGRAM}:\n${failures}\n${exports}")
endif()
message(STATUS "${PROGRAM}: GETDISKDIR exported by name at ordinal 1")
