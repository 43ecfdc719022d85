list(APPEND FV_CORE_TESTS ${CMAKE_CURRENT_LIST_DIR}/inflate_test.cpp)
# The comparison with the system zlib runs only in the native build.
if(NOT WIN32)
  list(APPEND FV_CORE_TESTS ${CMAKE_CURRENT_LIST_DIR}/inflate_zlib_diff_test.cpp)
  list(APPEND FV_CORE_TEST_LIBS z)
endif()
fv_add_fuzzer(inflate_fuzz ${CMAKE_CURRENT_LIST_DIR}/inflate_fuzz.cpp)
fv_add_bench(inflate_bench ${CMAKE_SOURCE_DIR}/bench/inflate_bench.cpp z)
list(APPEND FV_CORE_TESTS ${CMAKE_CURRENT_LIST_DIR}/engine_rules_test.cpp)
list(APPEND FV_WIN_TESTS
  ${CMAKE_CURRENT_LIST_DIR}/dib_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine_bootstrap_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pdfium_engine_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine_choice_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/windows_pdf_engine_test.cpp)
include(${CMAKE_CURRENT_LIST_DIR}/worker_tests.cmake)
