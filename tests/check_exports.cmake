# Fails unless the shared library LIBRARY defines exactly the dynamic symbols
# in EXPECTED (names separated by commas), read with the tool NM, or for a
# Windows DLL (whose exports nm does not list) from the export table that
# OBJDUMP prints.
if(LIBRARY MATCHES "[.]dll$")
  execute_process(COMMAND ${OBJDUMP} -p ${LIBRARY} OUTPUT_VARIABLE listing RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} could not read ${LIBRARY}")
  endif()
  # The name table runs from its heading to the next empty line.
  string(REGEX REPLACE ".*\\[Ordinal/Name Pointer\\] Table" "" table "${listing}")
  string(REGEX REPLACE "\n[ \t]*\n.*" "" table "${table}")
  string(REGEX MATCHALL "\\[ *[0-9]+\\] [^ \t\r\n]+" entries "${table}")
  set(prefix "^\\[ *[0-9]+\\] ")
else()
  execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
                  OUTPUT_VARIABLE listing RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${NM} could not read ${LIBRARY}")
  endif()
  string(REGEX MATCHALL "[ \t][A-Za-z][ \t]+[^ \t\r\n]+" entries "${listing}")
  set(prefix "^[ \t][A-Za-z][ \t]+")
endif()
set(exported)
foreach(entry IN LISTS entries)
  string(REGEX REPLACE "${prefix}" "" name "${entry}")
  list(APPEND exported ${name})
endforeach()
string(REPLACE "," ";" expected "${EXPECTED}")
list(SORT exported)
list(SORT expected)
if(NOT exported STREQUAL expected)
  message(FATAL_ERROR "${LIBRARY} exports [${exported}], expected [${expected}]")
endif()
