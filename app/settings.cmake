# Settings store: the neutral value table and the registry access.
list(APPEND FV_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/settings_values.cpp)
list(APPEND FV_WIN_SOURCES ${CMAKE_CURRENT_LIST_DIR}/settings.cpp)
