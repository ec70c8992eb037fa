# The settings window's page models: QtCore only, so they belong to tallowmere_core.
target_sources(tallowmere_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/AboutSettingsModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AutoEjectSettingsModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AutoEjectSettingsModel.h
  ${CMAKE_CURRENT_LIST_DIR}/GeneralSettingsModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GeneralSettingsModel.h
  ${CMAKE_CURRENT_LIST_DIR}/PreferenceBinding.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingsLinks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingsSection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UpdatesSettingsModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/UpdatesSettingsModel.h)
target_sources(tallowmere_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/OnboardingTestRun.cpp)
