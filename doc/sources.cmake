fv_sources(doc
  CORE page_order.cpp layout.cpp document_rules.cpp settings_values.cpp save_rules.cpp text_index.cpp text_select.cpp
       link_rules.cpp
  WIN document.cpp document_open.cpp worker_messages.cpp editability.cpp settings.cpp doc_hooks.cpp
      save_flow.cpp bookmark_jump.cpp)
