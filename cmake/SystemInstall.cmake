# The layout of a program installed for everybody (QUILLIVAR_DEFAULT_FOLDER
# "data"): commands in bin, the menu entry, icon, metainfo and man pages
# where a desktop looks for them, and the documents a package carries.
# Included from src/app once both programs and the rendered icons exist.
include(GNUInstallDirs)

# Its own desktop ID (QUILLIVAR_APP_ID), so that neither this entry nor a
# folder install's quillivar.desktop hides the other in the menu.
# Whoever builds and hands out a package may name themselves
# (scripts/package.sh passes DEBFULLNAME and DEBEMAIL, as Debian's tools read them).
set(QUILLIVAR_MAINTAINER "Quillivar developers <quillivar@example.org>" CACHE STRING
  "the package's maintainer, NAME <ADDRESS>")
# The project's home page, for software centres and the package's Homepage
# field; the project has none yet, and a made-up one would be a dead link.
set(QUILLIVAR_HOMEPAGE "" CACHE STRING "the project's home page, https://...; empty: none")
set(QUILLIVAR_HOMEPAGE_XML "")
if(QUILLIVAR_HOMEPAGE)
  if(NOT QUILLIVAR_HOMEPAGE MATCHES "^https?://[^ \"&<>]+$")
    message(FATAL_ERROR "QUILLIVAR_HOMEPAGE '${QUILLIVAR_HOMEPAGE}' is no http or https address")
  endif()
  set(QUILLIVAR_HOMEPAGE_XML "\n  <url type=\"homepage\">${QUILLIVAR_HOMEPAGE}</url>")
endif()
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
# The releases, newest first: version, date and what it brings, for the
# metainfo's <releases>, the Debian changelog and the man pages' date (no
# ";" in a note: it would part the list).
set(QUILLIVAR_RELEASES
  "0.2.0|2026-12-10|Scheduled refreshes: a systemd user timer, a desktop notification when the list changed or a run failed (--notify) and quiet runs for cron (--quiet), the quote site named in its failures, man pages in English and Japanese, the README installed"
  "0.1.0|2026-12-09|Packaged for every user of the machine: the window (quillivar) and quillivar-refresh keep brand_code.csv and UserSetting.dat in the user's data folder, ~/.local/share/quillivar")
# One entry of the list as release_version, release_date and release_note.
macro(quillivar_read_release entry)
  string(REPLACE "|" ";" release_fields "${entry}")
  list(GET release_fields 0 release_version)
  list(GET release_fields 1 release_date)
  list(GET release_fields 2 release_note)
endmacro()
list(GET QUILLIVAR_RELEASES 0 newest)
quillivar_read_release("${newest}")
set(QUILLIVAR_RELEASE_DATE ${release_date})
if(NOT release_version VERSION_EQUAL PROJECT_VERSION)
  message(FATAL_ERROR "The newest release listed is ${release_version}, the project's version ${PROJECT_VERSION}")
endif()
set(QUILLIVAR_RELEASES_XML "")
foreach(release IN LISTS QUILLIVAR_RELEASES)
  quillivar_read_release("${release}")
  string(APPEND QUILLIVAR_RELEASES_XML
    "    <release version=\"${release_version}\" date=\"${release_date}\">\n"
    "      <description>\n        <p>${release_note}.</p>\n      </description>\n    </release>\n")
endforeach()
string(STRIP "${QUILLIVAR_RELEASES_XML}" QUILLIVAR_RELEASES_XML)
configure_file(${PROJECT_SOURCE_DIR}/data/quillivar.metainfo.xml.in
  ${system_dir}/${QUILLIVAR_APP_ID}.metainfo.xml @ONLY)
install(FILES ${system_dir}/${QUILLIVAR_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${system_dir}/${QUILLIVAR_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Both programs' pages in English and Japanese, from one source, dated as
# the newest release above.
set(pages)
foreach(page "Quillivar|quillivar" "quillivar-refresh|quillivar-refresh")
  string(REPLACE "|" ";" page "${page}")
  list(GET page 0 target)
  list(GET page 1 name)
  foreach(language en ja)
    set(output ${system_dir}/man/${language}/${name}.1.gz)
    add_custom_command(OUTPUT ${output}
      COMMAND ${CMAKE_COMMAND} -DSOURCE=${PROJECT_SOURCE_DIR}/data/man-pages.in -DNAME=${name}
        -DLANGUAGE=${language} -DVERSION=${PROJECT_VERSION} -DDATE=${QUILLIVAR_RELEASE_DATE}
        -DPROGRAM=$<TARGET_FILE:${target}> -DOUTPUT=${output} -P ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
      DEPENDS ${target} ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake ${PROJECT_SOURCE_DIR}/data/man-pages.in
      VERBATIM)
    list(APPEND pages ${output})
  endforeach()
  install(FILES ${system_dir}/man/en/${name}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${system_dir}/man/ja/${name}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/ja/man1)
endforeach()
add_custom_target(quillivar_man_pages ALL DEPENDS ${pages})

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
# package built on 13 does not install on 12. As the revision "0~debNN" it
# sorts below an official package's first revision (-1) of the same release
# and above the "+debNN" that releases before 0.2.0 carried.
if(EXISTS /etc/debian_version)
  file(STRINGS /etc/debian_version debian_version LIMIT_COUNT 1)
  string(REGEX MATCH "^[0-9]+" debian_release "${debian_version}")
endif()
if(NOT debian_release)
  message(FATAL_ERROR "Packages are built on Debian 12 or 13 (/etc/debian_version reads '${debian_version}')")
endif()
function(debian_version_of version out)
  if(version VERSION_LESS 0.2.0)
    set(${out} ${version}+deb${debian_release} PARENT_SCOPE)
  else()
    set(${out} ${version}-0~deb${debian_release} PARENT_SCOPE)
  endif()
endfunction()
set(QUILLIVAR_DEBIAN_REVISION 0~deb${debian_release})
debian_version_of(${PROJECT_VERSION} QUILLIVAR_PACKAGE_VERSION)

# The Debian changelog (changelog.Debian, as a version with a revision asks),
# an entry per release with its line wrapped as Debian's changelogs are.
set(changelog "")
foreach(release IN LISTS QUILLIVAR_RELEASES)
  quillivar_read_release("${release}")
  debian_version_of(${release_version} package_version)
  execute_process(COMMAND date -u -R -d "${release_date} 12:00" OUTPUT_VARIABLE stamp
    OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  string(REPLACE " " ";" words "${release_note}")
  set(text "  *")
  set(line "  *")
  foreach(word IN LISTS words)
    string(LENGTH "${line} ${word}" length)
    if(length GREATER 78)
      string(APPEND text "\n   ")
      set(line "   ")
    endif()
    string(APPEND text " ${word}")
    string(APPEND line " ${word}")
  endforeach()
  string(APPEND changelog "quillivar (${package_version}) unstable; urgency=medium\n\n${text}.\n\n"
    " -- ${QUILLIVAR_MAINTAINER}  ${stamp}\n\n")
endforeach()
string(REGEX REPLACE "\n$" "" changelog "${changelog}")
file(WRITE ${system_dir}/changelog.Debian "${changelog}")

# Documents gzipped as Debian Policy asks: best compression, no name or time.
set(documents)
foreach(document ${system_dir}/changelog.Debian ${PROJECT_SOURCE_DIR}/README.md)
  get_filename_component(name ${document} NAME)
  add_custom_command(OUTPUT ${system_dir}/doc/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${document} ${system_dir}/doc/${name}
    COMMAND gzip -9nf ${system_dir}/doc/${name}
    DEPENDS ${document}
    VERBATIM)
  list(APPEND documents ${system_dir}/doc/${name}.gz)
endforeach()
add_custom_target(quillivar_documents ALL DEPENDS ${documents})
install(FILES ${system_dir}/copyright ${documents} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quillivar)

include(${PROJECT_SOURCE_DIR}/cmake/DebianPackage.cmake)

# The user units, not enabled: each user chooses to run the timer. They run
# the command where the package puts it.
include(${PROJECT_SOURCE_DIR}/cmake/RefreshUnits.cmake)
quillivar_refresh_units(${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/quillivar-refresh ""
  ${system_dir})
install(FILES ${system_dir}/quillivar-refresh.service ${system_dir}/quillivar-refresh.timer
  DESTINATION lib/systemd/user)
