# `cmake --install` and the Debian package (cpack -G DEB): the application, the diskutil companion, the
# desktop entry, the AppStream metainfo, the icon, the manual page and the documentation Debian asks for. The
# application finds the companion at <prefix>/libexec/tallowmere. scripts/check-package checks the result.
include(GNUInstallDirs)
set(TALLOWMERE_LINUX_RESOURCES ${PROJECT_SOURCE_DIR}/resources/linux)
# Every relocation resolved at start, so the relocation tables can be read-only (Debian's hardening).
target_link_options(tallowmere PRIVATE -Wl,-z,relro,-z,now)
target_link_options(tallowmere-companion PRIVATE -Wl,-z,relro,-z,now)
install(TARGETS tallowmere RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS tallowmere-companion RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/tallowmere)
install(FILES ${TALLOWMERE_LINUX_RESOURCES}/com.tallowmere.app.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${TALLOWMERE_LINUX_RESOURCES}/com.tallowmere.app.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/tallowmere.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Debian wants the manual page and the changelog compressed at the highest level, without a time stamp.
set(TALLOWMERE_GZIPPED_DIR ${PROJECT_BINARY_DIR}/gzipped)
set(TALLOWMERE_GZIPPED)
foreach(source tallowmere.1 changelog)
  set(gzipped ${TALLOWMERE_GZIPPED_DIR}/${source}.gz)
  add_custom_command(OUTPUT ${gzipped}
                     COMMAND ${CMAKE_COMMAND} -E copy ${TALLOWMERE_LINUX_RESOURCES}/${source}
                             ${TALLOWMERE_GZIPPED_DIR}/${source}
                     COMMAND gzip -9nf ${TALLOWMERE_GZIPPED_DIR}/${source}
                     DEPENDS ${TALLOWMERE_LINUX_RESOURCES}/${source} VERBATIM)
  list(APPEND TALLOWMERE_GZIPPED ${gzipped})
endforeach()
add_custom_target(tallowmere_gzipped_docs ALL DEPENDS ${TALLOWMERE_GZIPPED})
install(FILES ${TALLOWMERE_GZIPPED_DIR}/tallowmere.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# A native package (the version has no Debian revision): its changelog is changelog.gz, in Debian's format.
install(FILES ${TALLOWMERE_GZIPPED_DIR}/changelog.gz ${TALLOWMERE_LINUX_RESOURCES}/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tallowmere)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tallowmere)
set(CPACK_PACKAGE_VENDOR "Tallowmere")
set(CPACK_PACKAGE_CONTACT "Tallowmere <support@${TALLOWMERE_WEBSITE_DOMAIN}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "protects external drives across sleep and keeps the computer awake")
# CPack puts the summary first, indents these lines and turns the empty one into Debian's " .".
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Tallowmere takes the external drives you allowed offline before the computer
suspends, holding the suspend until they are unmounted, and mounts them again
after resume; by choice also when the screen locks, the screensaver starts or
the display turns off. Quenby Guard keeps the computer awake on demand, for a
chosen time or until switched off, with battery and power-saver rules.

It sits in the system tray; the desktop entry's actions and the tallowmere
command reach the running copy on desktops without a tray as well. It works
through udisks2 and systemd-logind and never needs root.")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://${TALLOWMERE_WEBSITE_DOMAIN}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # tallowmere_VERSION_amd64.deb
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from dpkg-shlibdeps (Qt's X11 and SVG plugins come with libqt6gui6 and libqt6svg6); the
# services are what the application talks to, and polkitd is what lets udisks2 and logind serve a user without
# root (udisks2 only recommends it). qt6-wayland draws the windows natively in a Wayland session.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "udisks2, dbus, polkitd")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "upower, power-profiles-daemon, libpam-systemd, qt6-wayland")
include(CPack)
