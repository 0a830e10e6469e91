# Checks the built native BrixaQuery library: its only export is the JNI
# method. (Windows builds are checked by testing/binary_checks.)
# cmake -DLIBRARY=<file> -DLISTER=<nm> -P check_exports.cmake
set(method Java_com_quorvel_vantry_collectionagent_brixaagent_BrixaQuery_Query)

execute_process(COMMAND ${LISTER} -D --defined-only ${LIBRARY} OUTPUT_VARIABLE listing RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${LISTER} -D ${LIBRARY} failed")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${listing}")
set(exports)
foreach(line ${lines})
  if(line MATCHES "([^ \t]+)[ \t]*$")
    list(APPEND exports ${CMAKE_MATCH_1})
  endif()
endforeach()

if(NOT exports STREQUAL method)
  message(FATAL_ERROR "${LIBRARY} must export ${method} and nothing else; it exports: ${exports}")
endif()
message(STATUS "${LIBRARY}: exports ${exports} only")
