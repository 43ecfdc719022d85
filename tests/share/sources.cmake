fv_tests(share
  CORE compose_test.cpp contact_list_test.cpp mail_rules_test.cpp phone_link_flow_test.cpp
  WIN share_settings_test.cpp mail_password_test.cpp)
fv_add_fuzzer(compose_fuzz ${CMAKE_CURRENT_LIST_DIR}/compose_fuzz.cpp)
