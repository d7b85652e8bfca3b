# `cpack -G DEB` in a build folder configured with QUILLIVAR_DEFAULT_FOLDER
# "data" makes quillivar_VERSION-0~debNN_ARCH.deb. CPack rather than a debian/
# folder: the install rules above already lay out every file, and a second
# description of the same files in debian/ could drift from them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillivar)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE ${QUILLIVAR_DEBIAN_REVISION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUILLIVAR_MAINTAINER}")
if(QUILLIVAR_HOMEPAGE)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${QUILLIVAR_HOMEPAGE}")
endif()
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps reads the libraries from the binaries themselves.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# No library names the font, so no binary can tell: the captions are laid out
# for IPA P Gothic, and without a Japanese font they show empty boxes; any
# font that provides Debian's virtual Japanese Gothic serves too.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic | fonts-japanese-gothic")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "download the list of listed stock issues")
# CPack puts the summary first and indents each line; an empty line parts
# the paragraphs.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Quillivar downloads the list of listed stock issues from a stock-quote web
site, one industry at a time, keeps the issues of the markets and industries
selected in its settings and writes them in code order to brand_code.csv, in
Shift-JIS. Its user interface is in Japanese.

The command quillivar opens the window; quillivar-refresh does the same
without a window, for cron or a systemd timer. Both keep their files in the
user's data folder, ~/.local/share/quillivar.")
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
