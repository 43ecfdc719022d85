fv_sources(share
  CORE compose.cpp contact_list.cpp
  WIN share_settings.cpp send_window.cpp send_flow.cpp)
