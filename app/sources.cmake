list(APPEND FV_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/command_line.cpp
  ${CMAKE_CURRENT_LIST_DIR}/status_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_geometry.cpp)
list(APPEND FV_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/cleanup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/event_log.cpp
  ${CMAKE_CURRENT_LIST_DIR}/status_bar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/startup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/second_window.cpp)
if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/settings.cmake)
  include(${CMAKE_CURRENT_LIST_DIR}/settings.cmake)
endif()
if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/ribbon.cmake)
  include(${CMAKE_CURRENT_LIST_DIR}/ribbon.cmake)
endif()
