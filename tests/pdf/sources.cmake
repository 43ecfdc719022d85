fv_tests(pdf
  CORE pdf_lexer_test.cpp pdf_xref_test.cpp pdf_stream_test.cpp pdf_pages_test.cpp page_order_writer_test.cpp)
# Checks updated real PDFs with qpdf, pdftotext and pdfinfo: native only.
if(NOT WIN32)
  list(APPEND FV_CORE_TESTS ${CMAKE_CURRENT_LIST_DIR}/page_order_roundtrip_test.cpp)
endif()
fv_add_fuzzer(readpages_fuzz ${CMAKE_CURRENT_LIST_DIR}/readpages_fuzz.cpp)
fv_add_fuzzer(writepageorder_fuzz ${CMAKE_CURRENT_LIST_DIR}/writepageorder_fuzz.cpp)
fv_add_bench(pdf_read_bench ${CMAKE_SOURCE_DIR}/bench/pdf_read_bench.cpp)
fv_add_bench(reorder_save_bench ${CMAKE_SOURCE_DIR}/bench/reorder_save_bench.cpp)
