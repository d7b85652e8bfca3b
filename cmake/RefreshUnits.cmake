# The systemd user units of quillivar-refresh: a service that runs it once
# with --notify, and the timer that starts it on weekday mornings. Both the
# package (/usr/lib/systemd/user) and a folder install (install-desktop.sh
# --timer) write them from the same templates.
#   include(): quillivar_refresh_units(EXECUTABLE HEADER OUTPUT_DIR)
#   cmake -DEXECUTABLE=... -DHEADER=... -DOUTPUT_DIR=... -P RefreshUnits.cmake
set(QUILLIVAR_UNIT_TEMPLATES ${CMAKE_CURRENT_LIST_DIR}/../data/systemd)

function(quillivar_refresh_units executable header output_dir)
  if(executable MATCHES "[\n\r]")
    message(FATAL_ERROR "A unit cannot run a program whose path has a line break: ${executable}")
  endif()
  # Quoted for ExecStart=: "\" and the quote escaped, "%" (specifiers) and
  # "$" (variables) doubled.
  string(REPLACE "\\" "\\\\" exec "${executable}")
  string(REPLACE "\"" "\\\"" exec "${exec}")
  string(REPLACE "%" "%%" exec "${exec}")
  string(REPLACE "$" "$$" exec "${exec}")
  set(QUILLIVAR_UNIT_EXEC "\"${exec}\"")
  set(QUILLIVAR_UNIT_HEADER "")
  if(NOT header STREQUAL "")
    set(QUILLIVAR_UNIT_HEADER "${header}\n")
  endif()
  foreach(unit quillivar-refresh.service quillivar-refresh.timer)
    configure_file(${QUILLIVAR_UNIT_TEMPLATES}/${unit}.in ${output_dir}/${unit} @ONLY)
  endforeach()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  quillivar_refresh_units("${EXECUTABLE}" "${HEADER}" "${OUTPUT_DIR}")
endif()
