target_sources(tallowmere_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/MenuBarModel.cpp)
