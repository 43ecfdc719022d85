fv_sources(ui
  CORE command_table.cpp
  WIN ui_context.cpp prompt_dialog.cpp file_dialog.cpp paint.cpp shell_ops.cpp child_controls.cpp)
