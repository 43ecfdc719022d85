fv_sources(share
  CORE compose.cpp contact_list.cpp mail_rules.cpp phone_link_flow.cpp
  WIN share_settings.cpp send_window.cpp send_flow.cpp
      mail_password.cpp mail_send.cpp mail_window.cpp send_job.cpp text_message.cpp)
