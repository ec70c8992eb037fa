# Tallowmere.app: the `tallowmere` executable as an agent application bundle (no Dock icon), its Info.plist
# from resources/mac/Info.plist.in, the icon made from our SVG, and Sparkle.framework inside when it is used.
# scripts/package-mac then adds Qt (macdeployqt) and signs it.
set(TALLOWMERE_SPARKLE_FEED_URL "https://${TALLOWMERE_WEBSITE_DOMAIN}/appcast.xml" CACHE STRING
    "Sparkle's update feed (SUFeedURL)")
set(TALLOWMERE_SPARKLE_PUBLIC_ED_KEY "" CACHE STRING
    "Sparkle's EdDSA public key (SUPublicEDKey) from Sparkle's generate_keys")

set_target_properties(tallowmere PROPERTIES
  MACOSX_BUNDLE TRUE
  OUTPUT_NAME Tallowmere
  MACOSX_BUNDLE_INFO_PLIST ${PROJECT_SOURCE_DIR}/resources/mac/Info.plist.in
  MACOSX_BUNDLE_GUI_IDENTIFIER com.tallowmere.app
  MACOSX_BUNDLE_BUNDLE_NAME Tallowmere
  MACOSX_BUNDLE_SHORT_VERSION_STRING ${PROJECT_VERSION}
  MACOSX_BUNDLE_BUNDLE_VERSION ${TALLOWMERE_BUILD_NUMBER}
  MACOSX_BUNDLE_COPYRIGHT "Copyright Tallowmere"
  # Sparkle.framework sits in Contents/Frameworks (unconfirmed as Sparkle's own requirement).
  BUILD_RPATH "@executable_path/../Frameworks"
  INSTALL_RPATH "@executable_path/../Frameworks")

find_program(TALLOWMERE_RSVG_CONVERT rsvg-convert)
find_package(Python3 COMPONENTS Interpreter)
if(TALLOWMERE_RSVG_CONVERT AND Python3_Interpreter_FOUND)
  set(icon ${CMAKE_CURRENT_BINARY_DIR}/Tallowmere.icns)
  add_custom_command(OUTPUT ${icon}
    COMMAND ${CMAKE_COMMAND} -E env RSVG_CONVERT=${TALLOWMERE_RSVG_CONVERT}
            ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/scripts/make-icns
            ${PROJECT_SOURCE_DIR}/resources/icons/tallowmere.svg ${icon}
    DEPENDS ${PROJECT_SOURCE_DIR}/resources/icons/tallowmere.svg ${PROJECT_SOURCE_DIR}/scripts/make-icns
    COMMENT "Making Tallowmere.icns" VERBATIM)
  target_sources(tallowmere PRIVATE ${icon})
  set_source_files_properties(${icon} PROPERTIES MACOSX_PACKAGE_LOCATION Resources)
  set_target_properties(tallowmere PROPERTIES MACOSX_BUNDLE_ICON_FILE Tallowmere.icns)
else()
  message(WARNING "rsvg-convert or Python 3 not found: Tallowmere.app gets no icon")
endif()

if(TALLOWMERE_SPARKLE AND TALLOWMERE_SPARKLE_FRAMEWORK)
  # ditto keeps the framework's symbolic links (Versions/Current), which a plain copy would flatten.
  add_custom_command(TARGET tallowmere POST_BUILD
    COMMAND ditto ${TALLOWMERE_SPARKLE_FRAMEWORK} $<TARGET_BUNDLE_CONTENT_DIR:tallowmere>/Frameworks/Sparkle.framework
    VERBATIM)
endif()
