list(APPEND FV_CORE_TESTS
  ${CMAKE_CURRENT_LIST_DIR}/command_line_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/status_text_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_geometry_test.cpp)
list(APPEND FV_WIN_TESTS
  ${CMAKE_CURRENT_LIST_DIR}/cleanup_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/event_log_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/startup_test.cpp)
if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/settings_tests.cmake)
  include(${CMAKE_CURRENT_LIST_DIR}/settings_tests.cmake)
endif()
if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/ribbon_tests.cmake)
  include(${CMAKE_CURRENT_LIST_DIR}/ribbon_tests.cmake)
endif()
