# Runs stamp.exe under Wine: a build, an inspect of its result and a config
# error, each with its exit code and output.
#   cmake -DWINE_RUN=... -DSTAMP=... -DLAUNCHER=... -DSOURCE_DIR=... -DWORK_DIR=... -P wine_check.cmake
function(run_stamp expected_code out_var)
  execute_process(COMMAND ${WINE_RUN} ${STAMP} ${ARGN}
                  RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT code EQUAL expected_code)
    message(FATAL_ERROR "stamp ${ARGN}: exit code ${code}, expected ${expected_code}\n${out}\n${err}")
  endif()
  set(${out_var} "${out}${err}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
file(COPY ${SOURCE_DIR}/wine_check.toml ${SOURCE_DIR}/wine_unrepresentable.toml DESTINATION ${WORK_DIR})

run_stamp(0 built build ${WORK_DIR}/wine_check.toml --launcher ${LAUNCHER} -o ${WORK_DIR}/stamped.exe)
run_stamp(0 described inspect ${WORK_DIR}/stamped.exe)
foreach(expected
    "checksum: 0x[0-9A-F]+ matches\r?\n"
    "setting 101 name: \"Caf\\\\xE9\"\r?\n"
    "setting 160 previous_installations: \"allinstdirswine-check\"\r?\n"
    "wide 20001: \"Café is downloading"
    "included file \"user\\\\\\\\a.jar\": 3 bytes\r?\n")
  if(NOT described MATCHES "${expected}")
    message(FATAL_ERROR "inspect output lacks ${expected}:\n${described}")
  endif()
endforeach()

run_stamp(2 refused build ${WORK_DIR}/wine_unrepresentable.toml --launcher ${LAUNCHER} -o ${WORK_DIR}/never.exe)
if(NOT refused MATCHES "wine_unrepresentable.toml: settings.name: \"日本\" cannot be written in code page 1252\r?\n$")
  message(FATAL_ERROR "unexpected error line: ${refused}")
endif()
if(EXISTS ${WORK_DIR}/never.exe)
  message(FATAL_ERROR "a refused config still wrote its output")
endif()
