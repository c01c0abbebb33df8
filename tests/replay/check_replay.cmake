# Runs fennwick-replay on a script and checks its result.
#   REPLAY    the tool
#   SCRIPT    the script file
#   ARGS      further arguments (a ;-list), optional
#   EXPECTED  a file of expected output lines, optional: each line is compared with the output
#             line of the same frame ('#' starts a comment)
#   LINES     the exact number of output lines, optional
#   EXIT      the expected exit code (default 0)
#   STDERR    a regular expression the error output must match, optional
#   STDOUT    a regular expression the output must match, optional
#   WORKDIR   where to run (default: the current folder)
#   DUMP      a bitmap the run must have written: 800 x 600, 24 bits, bottom-up
if(NOT WORKDIR)
  set(WORKDIR .)
endif()
if(DUMP)
  file(REMOVE ${DUMP})  # one left by an earlier run proves nothing
endif()
execute_process(
  COMMAND ${REPLAY} ${ARGS} ${SCRIPT}
  WORKING_DIRECTORY ${WORKDIR}
  RESULT_VARIABLE code
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err)
if(NOT DEFINED EXIT)
  set(EXIT 0)
endif()
if(NOT code STREQUAL EXIT)
  message(FATAL_ERROR "exit code ${code}, expected ${EXIT}\nstderr: ${err}")
endif()
if(DEFINED STDERR AND NOT err MATCHES "${STDERR}")
  message(FATAL_ERROR "stderr '${err}' does not match '${STDERR}'")
endif()
if(DEFINED STDOUT AND NOT out MATCHES "${STDOUT}")
  message(FATAL_ERROR "stdout '${out}' does not match '${STDOUT}'")
endif()
if(EXIT EQUAL 2 AND NOT out STREQUAL "")
  message(FATAL_ERROR "a rejected run printed frames:\n${out}")
endif()

string(REGEX REPLACE "\n$" "" out "${out}")
if(out STREQUAL "")
  set(lines "")
else()
  string(REPLACE "\n" ";" lines "${out}")
endif()
list(LENGTH lines count)
if(DEFINED LINES AND NOT count EQUAL LINES)
  message(FATAL_ERROR "${count} output lines, expected ${LINES}")
endif()

if(EXPECTED)
  file(STRINGS ${EXPECTED} wanted)
  foreach(line IN LISTS wanted)
    string(REGEX REPLACE "#.*" "" line "${line}")
    string(STRIP "${line}" line)
    if(line STREQUAL "")
      continue()
    endif()
    string(REGEX MATCH "^[0-9]+" frame "${line}")
    math(EXPR index "${frame} - 1")
    if(index GREATER_EQUAL count)
      message(FATAL_ERROR "no output for frame ${frame}")
    endif()
    list(GET lines ${index} got)
    if(NOT got STREQUAL line)
      message(FATAL_ERROR "frame ${frame}:\n  got      ${got}\n  expected ${line}")
    endif()
  endforeach()
endif()

if(DUMP)
  file(SIZE ${DUMP} size)
  file(READ ${DUMP} header LIMIT 30 HEX)
  # "BM", then width 800 (0x320) and height +600 (0x258) at 18 and 22, 24 bits at 28.
  string(SUBSTRING "${header}" 36 24 fields)
  if(NOT size EQUAL 1440054 OR NOT header MATCHES "^424d" OR NOT fields STREQUAL "200300005802000001001800")
    message(FATAL_ERROR "${DUMP} is not an 800 x 600 24-bit bitmap (size ${size}, header ${header})")
  endif()
endif()
