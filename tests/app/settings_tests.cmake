list(APPEND FV_CORE_TESTS ${CMAKE_CURRENT_LIST_DIR}/settings_values_test.cpp)
list(APPEND FV_WIN_TESTS ${CMAKE_CURRENT_LIST_DIR}/settings_registry_test.cpp)
