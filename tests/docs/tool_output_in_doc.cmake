# A table a guide copies from a tool's output is that output, line for line:
# runs TOOL with ARGS and fails unless DOC holds what it printed, whole, from
# the start of a line.
#
#   cmake -DTOOL=... [-DARGS=a;b] [-DWORK=FOLDER] -DDOC=docs/x.md -P tool_output_in_doc.cmake
#
# WORK, when given, is made first (for a tool that writes files there).
if(DEFINED WORK)
  file(REMOVE_RECURSE "${WORK}")
  file(MAKE_DIRECTORY "${WORK}")
endif()
execute_process(COMMAND ${TOOL} ${ARGS} OUTPUT_VARIABLE printed RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR printed STREQUAL "")
  message(FATAL_ERROR "${TOOL} failed (${status}) or printed nothing")
endif()
file(READ "${DOC}" text)
string(FIND "\n${text}" "\n${printed}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${DOC} should hold what ${TOOL} prints:\n${printed}")
endif()
message(STATUS "${DOC} holds the ${TOOL} output")
