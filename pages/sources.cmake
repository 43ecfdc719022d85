fv_sources(pages
  CORE page_edit_rules.cpp
  WIN page_edits.cpp)
