fv_tests(base
  CORE inflate_test.cpp
  WIN dib_test.cpp event_log_test.cpp handles_test.cpp)
# The comparison with the system zlib runs only in the native build.
if(NOT WIN32)
  list(APPEND FV_CORE_TESTS ${CMAKE_CURRENT_LIST_DIR}/inflate_zlib_diff_test.cpp)
  list(APPEND FV_CORE_TEST_LIBS z)
endif()
fv_add_fuzzer(inflate_fuzz ${CMAKE_CURRENT_LIST_DIR}/inflate_fuzz.cpp)
fv_add_bench(inflate_bench ${CMAKE_SOURCE_DIR}/bench/inflate_bench.cpp z)
