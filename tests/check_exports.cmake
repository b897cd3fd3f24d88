# Fails unless the shared library LIBRARY defines exactly the dynamic symbols
# in EXPECTED (names separated by commas), read with the tool NM.
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
                OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${NM} could not read ${LIBRARY}")
endif()
string(REGEX MATCHALL "[ \t][A-Za-z][ \t]+[^ \t\r\n]+" entries "${listing}")
set(exported)
foreach(entry IN LISTS entries)
  string(REGEX REPLACE "^[ \t][A-Za-z][ \t]+" "" name "${entry}")
  list(APPEND exported ${name})
endforeach()
string(REPLACE "," ";" expected "${EXPECTED}")
list(SORT exported)
list(SORT expected)
if(NOT exported STREQUAL expected)
  message(FATAL_ERROR "${LIBRARY} exports [${exported}], expected [${expected}]")
endif()
