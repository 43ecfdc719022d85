// Helpers of the tests that work on a real document in this process: scratch
// files, small PDFs and an answerer for the message boxes the code shows.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "base/handles.h"

namespace doc_test {

inline std::wstring TempPath(const wchar_t* name) {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  return std::wstring(dir) + name;
}

// Writes a small classic PDF with `pages` pages.
inline void WritePdf(const std::wstring& path, int pages) {
  std::string body = "%PDF-1.4\n";
  std::vector<size_t> offsets;
  auto add = [&](const std::string& obj) {
    offsets.push_back(body.size());
    body += std::to_string(offsets.size()) + " 0 obj\n" + obj + "\nendobj\n";
  };
  add("<< /Type /Catalog /Pages 2 0 R >>");
  std::string kids;
  for (int i = 0; i < pages; ++i) kids += std::to_string(3 + i) + " 0 R ";
  add("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) + " >>");
  for (int i = 0; i < pages; ++i) add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>");
  size_t xref = body.size();
  body += "xref\n0 " + std::to_string(offsets.size() + 1) + "\n0000000000 65535 f \n";
  char line[32];
  for (size_t off : offsets) {
    std::snprintf(line, sizeof line, "%010zu 00000 n \n", off);
    body += line;
  }
  body += "trailer\n<< /Size " + std::to_string(offsets.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
          std::to_string(xref) + "\n%%EOF\n";
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  WriteFile(file.Get(), body.data(), DWORD(body.size()), &written, nullptr);
}

// Answers the message boxes this process shows, remembering their text.
class MessageBoxAnswerer {
 public:
  MessageBoxAnswerer() : thread_([this] { Run(); }) {}
  ~MessageBoxAnswerer() {
    stop_ = true;
    thread_.join();
  }
  int Count() const { return count_; }
  std::wstring LastText() const { return last_; }

 private:
  void Run() {
    while (!stop_) {
      HWND box = FindWindowW(L"#32770", L"Folivex");
      DWORD pid = 0;
      if (box) GetWindowThreadProcessId(box, &pid);
      if (box && pid == GetCurrentProcessId()) {
        wchar_t text[2048] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 2048);
        last_ = text;
        ++count_;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        while (IsWindow(box) && !stop_) Sleep(10);
      }
      Sleep(10);
    }
  }
  std::atomic<bool> stop_{false};
  std::atomic<int> count_{0};
  std::wstring last_;
  std::thread thread_;
};

}  // namespace doc_test
