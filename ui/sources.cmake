fv_sources(ui
  WIN ui_context.cpp prompt_dialog.cpp file_dialog.cpp)
