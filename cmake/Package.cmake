# The Debian package: cpack -G DEB in a Release build tree (scripts/package.sh). The libraries the
# programs link give the dependencies (dpkg-shlibdeps); the rest is what they load or run at run time.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vi23)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "vi23")
set(CPACK_PACKAGE_CONTACT "vi23 developers <vi23-devel@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "bookkeeping for a small Russian enterprise on the simplified tax system")
set(CPACK_PACKAGE_DESCRIPTION
    "Вельмар writes primary documents for a buyer and prints them on their\n"
    "legal forms, keeps a journal of business operations and prints the book\n"
    "of income and expenses, the settlement books and the cash book for a\n"
    "period. All data lives in one file, kn.mdb. The program and its tools\n"
    "speak Russian.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's platform plugin, Qt's own Russian texts, the fonts of the printed forms, and
# xdg-email for "Отправить по почте".
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, fonts-liberation, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
include(CPack)

# What Debian asks of every package: the copyright and the changelog, compressed.
set(changelog ${CMAKE_BINARY_DIR}/package-files/changelog)
set(changelog_gz ${changelog}.gz)
configure_file(${CMAKE_SOURCE_DIR}/cmake/debian/changelog.in ${changelog} @ONLY)
add_custom_command(OUTPUT ${changelog_gz}
  COMMAND gzip -9 -n -f -k ${changelog}
  DEPENDS ${changelog})
add_custom_target(vi23_changelog ALL DEPENDS ${changelog_gz})
install(FILES ${CMAKE_SOURCE_DIR}/cmake/debian/copyright ${changelog_gz} DESTINATION ${CMAKE_INSTALL_DOCDIR})
