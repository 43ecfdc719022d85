list(APPEND FV_CORE_TESTS
  ${CMAKE_CURRENT_LIST_DIR}/job_queue_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/result_caches_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/document_rules_test.cpp)
list(APPEND FV_WIN_TESTS
  ${CMAKE_CURRENT_LIST_DIR}/render_worker_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/document_open_test.cpp)
