fv_tests(engine
  CORE engine_rules_test.cpp job_queue_test.cpp result_caches_test.cpp read_ahead_test.cpp
  WIN engine_bootstrap_test.cpp pdfium_engine_test.cpp engine_choice_test.cpp windows_pdf_engine_test.cpp
      render_worker_test.cpp pdf_rebuild_test.cpp)
