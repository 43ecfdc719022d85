fv_sources(pdf
  CORE pdf_lexer.cpp pdf_xref.cpp pdf_reader.cpp page_order_writer.cpp)
