# Helpers for test scripts run with cmake -P.

# halvex_require(VAR...): fails unless every variable was given with -D.
function(halvex_require)
  foreach(var IN LISTS ARGN)
    if(NOT DEFINED ${var})
      message(FATAL_ERROR "${var} is not set")
    endif()
  endforeach()
endfunction()

# run(COMMAND...): runs a program, fails with its output when it fails, and
# leaves what it printed (standard output, then standard error) in last_output.
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "failed (${result}): ${ARGN}\n${out}\n${err}")
  endif()
  set(last_output "${out}${err}" PARENT_SCOPE)
endfunction()
