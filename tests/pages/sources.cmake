list(APPEND FV_CORE_TESTS ${CMAKE_CURRENT_LIST_DIR}/page_order_test.cpp)
