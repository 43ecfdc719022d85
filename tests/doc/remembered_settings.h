// Keeps the user's settings that document tests change as they were.
#pragma once

#include <string>

#include "doc/settings.h"

namespace worker_test {

// Keeps the user's LastFile, LastPage and DefaultZoom as they were before
// the test (opening and closing documents writes the first two).
class RememberedSettings {
 public:
  RememberedSettings() : file_(ReadLastFile()), page_(ReadLastPage()), zoom_(g_settings.DefaultZoom) {}
  ~RememberedSettings() {
    if (file_.empty())
      DeleteSettingValue(L"LastFile");
    else
      WriteLastFile(file_);
    WriteLastPage(page_);
    g_settings.DefaultZoom = zoom_;
  }

 private:
  std::wstring file_;
  int page_;
  int zoom_;
};

}  // namespace worker_test
