# The GUI tests drive the real Folivex.exe from outside; they share only the
# neutral tables and geometry rules with it.
list(APPEND FV_GUI_TESTS
  ${CMAKE_CURRENT_LIST_DIR}/gui_harness.cpp
  ${CMAKE_CURRENT_LIST_DIR}/startup_gui_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/open_gui_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window_gui_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ribbon_gui_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/view_gui_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/page_edits_gui_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/page_panel_gui_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/status_bar_gui_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/print_gui_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/notes_gui_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/cross_window_gui_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/save_gui_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/find_gui_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/default_app_gui_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/share_gui_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mail_gui_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mail_send_gui_test.cpp
  ${CMAKE_SOURCE_DIR}/app/ribbon_rules.cpp
  ${CMAKE_SOURCE_DIR}/app/ribbon_table.cpp
  ${CMAKE_SOURCE_DIR}/ui/command_table.cpp
  ${CMAKE_SOURCE_DIR}/app/window_geometry.cpp
  ${CMAKE_SOURCE_DIR}/doc/layout.cpp
  ${CMAKE_SOURCE_DIR}/pages/page_transfer.cpp
  ${CMAKE_SOURCE_DIR}/pages/thumb_layout.cpp)
# The update tests run against a local release server (cmake/windows.cmake).
set(FV_UPDATE_GUI_TESTS
  ${CMAKE_CURRENT_LIST_DIR}/gui_harness.cpp
  ${CMAKE_CURRENT_LIST_DIR}/update_gui_test.cpp
  ${CMAKE_SOURCE_DIR}/ui/command_table.cpp)
