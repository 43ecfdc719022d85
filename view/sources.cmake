fv_sources(view
  CORE page_view_rules.cpp
  WIN page_view.cpp page_text.cpp find_bar.cpp)
