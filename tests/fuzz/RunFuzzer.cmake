# Runs one harness over its seed corpus and RUNS mutations (cmake -P).
# New inputs and any crash go to WORK, which starts empty.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/new)
execute_process(
  COMMAND ${HARNESS} -runs=${RUNS} -max_len=${MAX_LEN} -timeout=60 -rss_limit_mb=3072 -seed=1
          -print_final_stats=1 -artifact_prefix=${WORK}/ ${WORK}/new ${CORPUS}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${HARNESS} failed (${result}); the input is in ${WORK}")
endif()
