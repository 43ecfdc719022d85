list(APPEND FV_CORE_TESTS ${CMAKE_CURRENT_LIST_DIR}/ribbon_test.cpp)
list(APPEND FV_WIN_TESTS ${CMAKE_CURRENT_LIST_DIR}/ribbon_window_test.cpp)
