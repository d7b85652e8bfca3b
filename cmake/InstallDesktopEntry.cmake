# Runs at install time: writes the desktop entry into the installed folder,
# with Exec and Icon pointing into that folder, since a menu entry elsewhere
# (a link in ~/.local/share/applications) reaches the program only by
# absolute paths. Expects QUILLIVAR_DESKTOP_TEMPLATE.

file(REAL_PATH "${CMAKE_INSTALL_PREFIX}" folder)
if(folder MATCHES "[\n\r]")
  message(FATAL_ERROR "A desktop entry cannot name a folder with a line break: ${folder}")
endif()

# Desktop entry values escape a backslash as "\\". Exec quotes its argument
# and puts a backslash before " ` $ and \ inside the quotes; the value's own
# escape then applies on top, and a literal % is written %%.
string(REPLACE "\\" "\\\\" icon "${folder}/quillivar.png")
set(exec "${folder}/Quillivar")
foreach(special "\\" "\"" "`" "$")
  string(REPLACE "${special}" "\\${special}" exec "${exec}")
endforeach()
string(REPLACE "\\" "\\\\" exec "\"${exec}\"")
string(REPLACE "%" "%%" exec "${exec}")

set(QUILLIVAR_EXEC "${exec}")
set(QUILLIVAR_ICON "${icon}")
set(entry "$ENV{DESTDIR}${folder}/quillivar.desktop")
message(STATUS "Installing: ${entry}")
configure_file("${QUILLIVAR_DESKTOP_TEMPLATE}" "${entry}" @ONLY)
