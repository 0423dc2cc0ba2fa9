# Writes one gzipped man page from a program's --help and --version texts with help2man.
#   cmake -DHELP2MAN=... -DGZIP=... -DNO_NETWORK=... -DPROGRAM=path -DTITLE="one line"
#         [-DCOMMANDS="a;b"] -DINCLUDE=file.h2m -DOUTPUT=page.1.gz -P man-page.cmake
# Every run of the program goes through NO_NETWORK, a network namespace without adapters.
# COMMANDS: subcommands whose own --help text becomes a part of the COMMANDS section.

foreach(var HELP2MAN GZIP NO_NETWORK PROGRAM TITLE INCLUDE OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "man-page.cmake: ${var} is not set")
  endif()
endforeach()

get_filename_component(name ${PROGRAM} NAME)
get_filename_component(folder ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${folder})
set(include_file ${folder}/${name}.h2m)
set(page ${folder}/${name}.1)

# Text shown as it is (.nf): backslashes and minus signs escaped, no line taken as a request.
function(roff_literal text out)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

file(READ ${INCLUDE} include_text)
if(COMMANDS)
  string(APPEND include_text "\n[COMMANDS]\n")
  foreach(command IN LISTS COMMANDS)
    execute_process(COMMAND ${NO_NETWORK} ${PROGRAM} ${command} --help
                    OUTPUT_VARIABLE help RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "man-page.cmake: ${name} ${command} --help failed (${result})")
    endif()
    # The program's footer (its exit codes) follows every command's help: once is enough.
    string(FIND "${help}" "\nExit codes:" footer)
    if(footer GREATER 0)
      string(SUBSTRING "${help}" 0 ${footer} help)
    endif()
    roff_literal("${help}" help)
    string(APPEND include_text ".SS ${command}\n.nf\n${help}\n.fi\n")
  endforeach()
endif()
file(WRITE ${include_file} "${include_text}")

# help2man runs "NO_NETWORK PROGRAM --help" and "NO_NETWORK PROGRAM --version" through the shell.
execute_process(
  COMMAND ${HELP2MAN} --no-info --section=1 "--name=${TITLE}" "--include=${include_file}"
          "--output=${page}" "${NO_NETWORK} ${PROGRAM}"
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "man-page.cmake: help2man failed for ${name} (${result})")
endif()
execute_process(COMMAND ${GZIP} -9 -n -c ${page} OUTPUT_FILE ${OUTPUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE ${OUTPUT})
  message(FATAL_ERROR "man-page.cmake: gzip failed for ${name}")
endif()
