fv_tests(doc
  CORE page_order_test.cpp layout_test.cpp document_rules_test.cpp settings_values_test.cpp save_rules_test.cpp
       text_search_test.cpp text_select_test.cpp
  WIN editability_test.cpp settings_registry_test.cpp)
fv_add_fuzzer(layout_fuzz ${CMAKE_CURRENT_LIST_DIR}/layout_fuzz.cpp)
fv_add_fuzzer(text_search_fuzz ${CMAKE_CURRENT_LIST_DIR}/text_search_fuzz.cpp)
