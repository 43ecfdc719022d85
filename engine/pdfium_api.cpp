#include "engine/pdfium_api.h"

#define FV_PDFIUM_ONE(name, result, params) +1
static_assert(0 FV_PDFIUM_FUNCTIONS(FV_PDFIUM_ONE) == kPdfiumFunctionCount);
#undef FV_PDFIUM_ONE

const char* const kPdfiumFunctionNames[kPdfiumFunctionCount] = {
#define FV_PDFIUM_NAME(name, result, params) #name,
    FV_PDFIUM_FUNCTIONS(FV_PDFIUM_NAME)
#undef FV_PDFIUM_NAME
};

bool BindPdfiumApi(const std::function<void*(const char* name)>& lookup, PdfiumApi& api,
                   std::string& missing) {
  PdfiumApi bound;
  missing.clear();
#define FV_PDFIUM_BIND(name, result, params)                 \
  if (void* proc = lookup(#name)) {                          \
    bound.name = reinterpret_cast<decltype(bound.name)>(proc); \
  } else {                                                   \
    missing = #name;                                         \
    api = PdfiumApi();                                       \
    return false;                                            \
  }
  FV_PDFIUM_FUNCTIONS(FV_PDFIUM_BIND)
#undef FV_PDFIUM_BIND
  api = bound;
  return true;
}
