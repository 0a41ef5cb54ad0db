# Runs PROGRAM with --help and with unknown options in the empty folder FOLDER:
# each run must exit with 2, print its usage and leave the folder empty.
#   cmake -DPROGRAM=... -DFOLDER=... -P usage_check.cmake
file(REMOVE_RECURSE "${FOLDER}")
file(MAKE_DIRECTORY "${FOLDER}")
foreach(line "--help" "--no-such-option" "out --help" "out --no-such-option")
  separate_arguments(arguments UNIX_COMMAND "${line}")
  execute_process(COMMAND "${PROGRAM}" ${arguments}
                  WORKING_DIRECTORY "${FOLDER}"
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err
                  TIMEOUT 30)
  file(GLOB_RECURSE left LIST_DIRECTORIES true "${FOLDER}/*")
  if(NOT status STREQUAL "2")
    message(FATAL_ERROR "${PROGRAM} ${arguments}: exit status ${status}, not 2")
  endif()
  if(NOT "${out}${err}" MATCHES "usage: ")
    message(FATAL_ERROR "${PROGRAM} ${arguments}: no usage printed")
  endif()
  if(left)
    message(FATAL_ERROR "${PROGRAM} ${arguments}: wrote ${left}")
  endif()
endforeach()
file(REMOVE_RECURSE "${FOLDER}")
