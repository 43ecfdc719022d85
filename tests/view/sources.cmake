list(APPEND FV_CORE_TESTS ${CMAKE_CURRENT_LIST_DIR}/layout_test.cpp)
fv_add_fuzzer(layout_fuzz ${CMAKE_CURRENT_LIST_DIR}/layout_fuzz.cpp)
list(APPEND FV_CORE_TESTS ${CMAKE_CURRENT_LIST_DIR}/page_view_rules_test.cpp)
list(APPEND FV_WIN_TESTS ${CMAKE_CURRENT_LIST_DIR}/page_view_test.cpp)
