list(APPEND FV_GUI_TESTS
  ${CMAKE_CURRENT_LIST_DIR}/gui_harness.cpp
  ${CMAKE_CURRENT_LIST_DIR}/startup_gui_test.cpp)
list(APPEND FV_GUI_TESTS ${CMAKE_CURRENT_LIST_DIR}/open_gui_test.cpp)
