fv_sources(base
  CORE crc32.cpp inflate.cpp utf8.cpp
  WIN dib.cpp event_log.cpp win_util.cpp)
