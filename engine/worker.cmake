# The render worker, its queue and caches, and opening and closing the
# document (with the Document record, the title and the prompt dialog).
list(APPEND FV_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/job_queue.cpp
  ${CMAKE_CURRENT_LIST_DIR}/result_caches.cpp
  ${CMAKE_CURRENT_LIST_DIR}/document_rules.cpp)
list(APPEND FV_WIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/render_worker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/worker_messages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/document_open.cpp
  ${CMAKE_SOURCE_DIR}/app/document.cpp
  ${CMAKE_SOURCE_DIR}/app/title.cpp
  ${CMAKE_SOURCE_DIR}/app/prompt_dialog.cpp)
