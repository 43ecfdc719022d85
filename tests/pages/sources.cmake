fv_tests(pages
  CORE page_edit_rules_test.cpp
  WIN page_edits_test.cpp)
