fv_sources(engine
  CORE engine_rules.cpp bookmark_walk.cpp pdfium_api.cpp job_queue.cpp result_caches.cpp read_ahead.cpp
  WIN pdf_engine.cpp pdfium_engine.cpp engine_bootstrap.cpp windows_pdf_engine.cpp render_worker.cpp
      pdf_rebuild.cpp save_faults.cpp)
