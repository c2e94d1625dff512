# Builds the staged assets again: with every input unchanged since the last build, no generator
# may run and no file may be copied.
execute_process(COMMAND ${NINJA} -C ${BUILD} -d explain staged_assets
  OUTPUT_VARIABLE output ERROR_VARIABLE explained RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "ninja failed:\n${output}${explained}")
endif()
if(output MATCHES "Drawing the atlas|Rendering the font|stage/assets" OR explained MATCHES "stage/assets")
  message(FATAL_ERROR "the build regenerated staged assets:\n${output}${explained}")
endif()
message(STATUS "nothing regenerated")
