list(APPEND FV_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/pdf_lexer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pdf_xref.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pdf_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/page_order_writer.cpp)
list(APPEND FV_WIN_SOURCES ${CMAKE_CURRENT_LIST_DIR}/editability.cpp)
