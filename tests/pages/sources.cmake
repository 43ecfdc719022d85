fv_tests(pages
  CORE page_edit_rules_test.cpp thumb_layout_test.cpp
  WIN page_edits_test.cpp)
