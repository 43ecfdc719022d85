# The ribbon: its command table and rules (neutral), its window, painting,
# icons and the Settings-tab controls.
list(APPEND FV_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/icon_scale.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ribbon_rules.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ribbon_table.cpp)
list(APPEND FV_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ribbon.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ribbon_icons.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ribbon_paint.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings_tab.cpp)
