fv_tests(app
  CORE command_line_test.cpp status_text_test.cpp window_geometry_test.cpp ribbon_test.cpp print_rules_test.cpp
       help_texts_test.cpp report_text_test.cpp
  WIN cleanup_test.cpp startup_test.cpp ribbon_window_test.cpp
      document_open_test.cpp page_view_test.cpp print_test.cpp)
