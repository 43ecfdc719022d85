fv_sources(app
  CORE command_line.cpp status_text.cpp window_geometry.cpp icon_scale.cpp ribbon_rules.cpp ribbon_table.cpp
       print_rules.cpp help_texts.cpp report_text.cpp
  WIN command_dispatch.cpp cleanup.cpp status_bar.cpp title.cpp startup.cpp main_window.cpp second_window.cpp
      ribbon.cpp ribbon_icons.cpp ribbon_paint.cpp settings_tab.cpp print.cpp
      notes_window.cpp diagnostic_report.cpp install_mode.cpp default_app.cpp)
