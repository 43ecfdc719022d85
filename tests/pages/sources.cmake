fv_tests(pages
  CORE page_edit_rules_test.cpp page_transfer_test.cpp thumb_layout_test.cpp
  WIN page_edits_test.cpp)
fv_add_fuzzer(page_transfer_fuzz ${CMAKE_CURRENT_LIST_DIR}/page_transfer_fuzz.cpp)
