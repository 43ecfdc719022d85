fv_sources(pages
  CORE page_edit_rules.cpp page_transfer.cpp thumb_layout.cpp
  WIN cross_window.cpp drag_ghost.cpp page_edits.cpp page_panel.cpp)
