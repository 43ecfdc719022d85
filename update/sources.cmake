fv_sources(update
  CORE feed.cpp update_rules.cpp
  WIN http_get.cpp download.cpp update_bar.cpp updater.cpp)
