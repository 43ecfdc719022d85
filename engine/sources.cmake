list(APPEND FV_CORE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/inflate.cpp ${CMAKE_CURRENT_LIST_DIR}/crc32.cpp)
list(APPEND FV_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/engine_rules.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bookmark_walk.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pdfium_api.cpp)
list(APPEND FV_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/dib.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pdf_engine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pdfium_engine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine_bootstrap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/windows_pdf_engine.cpp)
include(${CMAKE_CURRENT_LIST_DIR}/worker.cmake)
