# `cmake --install` and the Debian package (cpack -G DEB): the application, the diskutil companion, the
# desktop entry and the icon. The application finds the companion at <prefix>/libexec/tallowmere.
include(GNUInstallDirs)
install(TARGETS tallowmere RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS tallowmere-companion RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/tallowmere)
install(FILES ${PROJECT_SOURCE_DIR}/resources/linux/tallowmere.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/tallowmere.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tallowmere)
set(CPACK_PACKAGE_VENDOR "Tallowmere")
set(CPACK_PACKAGE_CONTACT "Tallowmere <support@${TALLOWMERE_WEBSITE_DOMAIN}>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Takes external drives offline before sleep; keeps the computer awake")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # tallowmere_VERSION_amd64.deb
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# The libraries come from dpkg-shlibdeps; the services and Qt's platform plugins are what the desktop needs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "udisks2, dbus, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "upower, power-profiles-daemon, libpam-systemd")
include(CPack)
