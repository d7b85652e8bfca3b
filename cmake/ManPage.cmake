# Runs at build time: writes a section 1 man page, gzipped without a time
# stamp, from what PROGRAM prints for --help, so the page cannot drift from
# the program. Expects PROGRAM, NAME, SUMMARY, VERSION and OUTPUT.

execute_process(COMMAND "${PROGRAM}" --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR help STREQUAL "")
  message(FATAL_ERROR "${PROGRAM} --help failed (${status})")
endif()

# roff: a backslash is written \e, and a line starting with "." or "'" would
# be read as a request.
string(REPLACE "\\" "\\e" help "${help}")
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
string(REPLACE "-" "\\-" help "${help}")
string(TOUPPER "${NAME}" title)

set(page ".TH ${title} 1 \"\" \"${NAME} ${VERSION}\" \"User Commands\"
.SH NAME
${NAME} \\- ${SUMMARY}
.SH DESCRIPTION
.nf
${help}.fi
.SH FILES
.TP
.I brand_code.csv
the stock list, Shift-JIS (code page 932)
.TP
.I UserSetting.dat
the selected markets and industries
.SH SEE ALSO
.BR quillivar (1),
.BR quillivar\\-refresh (1)
")
get_filename_component(stem "${OUTPUT}" NAME_WLE)
get_filename_component(folder "${OUTPUT}" DIRECTORY)
file(WRITE "${folder}/${stem}" "${page}")
execute_process(COMMAND gzip -9nf "${folder}/${stem}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip ${folder}/${stem} failed")
endif()
