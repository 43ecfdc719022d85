fv_tests(update
  CORE feed_test.cpp
  WIN updater_test.cpp)
fv_add_fuzzer(feed_fuzz ${CMAKE_CURRENT_LIST_DIR}/feed_fuzz.cpp)
