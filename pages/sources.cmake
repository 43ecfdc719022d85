fv_sources(pages
  CORE page_edit_rules.cpp thumb_layout.cpp
  WIN drag_ghost.cpp page_edits.cpp page_panel.cpp)
