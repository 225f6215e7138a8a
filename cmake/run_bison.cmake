# Runs bison on the grammar and checks that it reports exactly the conflicts
# the grammar file declares in its "expected conflicts:" line.
# Variables: BISON, GRAMMAR, OUTPUT, HEADER.
file(READ "${GRAMMAR}" text)
string(REGEX MATCH "expected conflicts: ([0-9]+) shift/reduce, ([0-9]+) reduce/reduce" m "${text}")
if(NOT m)
  message(FATAL_ERROR "${GRAMMAR}: no 'expected conflicts:' line")
endif()
set(want_sr ${CMAKE_MATCH_1})
set(want_rr ${CMAKE_MATCH_2})

execute_process(
  COMMAND "${BISON}" -Wall -o "${OUTPUT}" "--defines=${HEADER}" "${GRAMMAR}"
  RESULT_VARIABLE rc
  ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "bison failed:\n${err}")
endif()

set(got_sr 0)
set(got_rr 0)
if(err MATCHES "([0-9]+) shift/reduce conflicts?")
  set(got_sr ${CMAKE_MATCH_1})
endif()
if(err MATCHES "([0-9]+) reduce/reduce conflicts?")
  set(got_rr ${CMAKE_MATCH_1})
endif()
string(REGEX REPLACE "[^\n]*conflicts?[^\n]*\n?" "" rest "${err}")
string(REGEX REPLACE "[^\n]*note: rerun with option[^\n]*\n?" "" rest "${rest}")
if(NOT got_sr EQUAL want_sr OR NOT got_rr EQUAL want_rr OR NOT rest STREQUAL "")
  file(REMOVE "${OUTPUT}" "${HEADER}")
  message(FATAL_ERROR "grammar: ${got_sr} shift/reduce and ${got_rr} reduce/reduce conflicts, "
                      "expected ${want_sr} and ${want_rr}:\n${err}")
endif()
