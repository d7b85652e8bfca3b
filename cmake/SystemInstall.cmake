# The layout of a program installed for everybody (QUILLIVAR_DEFAULT_FOLDER
# "data"): commands in bin, the menu entry, icon, metainfo and man pages
# where a desktop looks for them, and the documents a package carries.
# Included from src/app once both programs and the rendered icons exist.
include(GNUInstallDirs)

# Its own desktop ID (QUILLIVAR_APP_ID), so that neither this entry nor a
# folder install's quillivar.desktop hides the other in the menu.
set(QUILLIVAR_MAINTAINER "Quillivar developers <quillivar@example.org>")
set(system_dir ${PROJECT_BINARY_DIR}/system)

# The window's executable keeps its name, from which the boxes take their
# caption; the command people type is the lower-case link.
set(private_dir lib/quillivar)
install(TARGETS Quillivar RUNTIME DESTINATION ${private_dir})
file(MAKE_DIRECTORY ${system_dir})
file(CREATE_LINK ../${private_dir}/Quillivar ${system_dir}/quillivar SYMBOLIC)
install(FILES ${system_dir}/quillivar DESTINATION ${CMAKE_INSTALL_BINDIR})

foreach(size 16 32 48 64 128 256)
  install(FILES ${icon_dir}/quillivar-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME ${QUILLIVAR_APP_ID}.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/data/icons/quillivar.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME ${QUILLIVAR_APP_ID}.svg)

set(QUILLIVAR_EXEC quillivar)
set(QUILLIVAR_ICON ${QUILLIVAR_APP_ID})
configure_file(${PROJECT_SOURCE_DIR}/data/quillivar.desktop.in
  ${system_dir}/${QUILLIVAR_APP_ID}.desktop @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/data/quillivar.metainfo.xml.in
  ${system_dir}/${QUILLIVAR_APP_ID}.metainfo.xml @ONLY)
install(FILES ${system_dir}/${QUILLIVAR_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${system_dir}/${QUILLIVAR_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(pages)
foreach(page "Quillivar|quillivar|download the stock list into brand_code.csv, in a window"
             "quillivar-refresh|quillivar-refresh|download the stock list into brand_code.csv, without a window")
  string(REPLACE "|" ";" page "${page}")
  list(GET page 0 target)
  list(GET page 1 name)
  list(GET page 2 summary)
  set(output ${system_dir}/${name}.1.gz)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${target}> -DNAME=${name} "-DSUMMARY=${summary}"
      -DVERSION=${PROJECT_VERSION} -DOUTPUT=${output} -P ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
    DEPENDS ${target} ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
    VERBATIM)
  list(APPEND pages ${output})
endforeach()
add_custom_target(quillivar_man_pages ALL DEPENDS ${pages})
install(FILES ${pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The MIT licence, in the machine-readable form Debian reads ("Expat").
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE license_lines)
list(REMOVE_AT license_lines 0 1)  # "MIT License" and the blank line after it
set(QUILLIVAR_LICENSE_TEXT "")
foreach(line IN LISTS license_lines)
  if(line STREQUAL "")
    string(APPEND QUILLIVAR_LICENSE_TEXT " .\n")
  else()
    string(APPEND QUILLIVAR_LICENSE_TEXT " ${line}\n")
  endif()
endforeach()
string(STRIP "${QUILLIVAR_LICENSE_TEXT}" QUILLIVAR_LICENSE_TEXT)
set(QUILLIVAR_LICENSE_TEXT " ${QUILLIVAR_LICENSE_TEXT}")
configure_file(${PROJECT_SOURCE_DIR}/data/copyright.in ${system_dir}/copyright @ONLY)

# The package's version names the Debian release it was built on, since a
# package built on 13 does not install on 12.
if(EXISTS /etc/debian_version)
  file(STRINGS /etc/debian_version debian_version LIMIT_COUNT 1)
  string(REGEX MATCH "^[0-9]+" debian_release "${debian_version}")
endif()
if(NOT debian_release)
  message(FATAL_ERROR "Packages are built on Debian 12 or 13 (/etc/debian_version reads '${debian_version}')")
endif()
set(QUILLIVAR_PACKAGE_VERSION ${PROJECT_VERSION}+deb${debian_release})
configure_file(${PROJECT_SOURCE_DIR}/data/changelog.in ${system_dir}/changelog @ONLY)
add_custom_command(OUTPUT ${system_dir}/changelog.gz
  COMMAND gzip -9nfk ${system_dir}/changelog
  DEPENDS ${system_dir}/changelog
  VERBATIM)
add_custom_target(quillivar_changelog ALL DEPENDS ${system_dir}/changelog.gz)
install(FILES ${system_dir}/copyright ${system_dir}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quillivar)

include(${PROJECT_SOURCE_DIR}/cmake/DebianPackage.cmake)

# The user units, not enabled: each user chooses to run the timer. They run
# the command where the package puts it.
include(${PROJECT_SOURCE_DIR}/cmake/RefreshUnits.cmake)
quillivar_refresh_units(${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/quillivar-refresh ""
  ${system_dir})
install(FILES ${system_dir}/quillivar-refresh.service ${system_dir}/quillivar-refresh.timer
  DESTINATION lib/systemd/user)
