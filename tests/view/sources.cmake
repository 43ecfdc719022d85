fv_tests(view
  CORE page_view_rules_test.cpp)
