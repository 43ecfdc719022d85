#include "base/event_log.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

std::vector<std::wstring> Lines() {
  std::wstring all;
  ReadEventLog(all);
  std::vector<std::wstring> lines;
  size_t start = 0;
  for (size_t end; (end = all.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
    lines.push_back(all.substr(start, end - start));
  EXPECT_EQ(start, all.size()) << "every line ends with CR LF";
  return lines;
}

std::wstring MessageOf(const std::wstring& line) { return line.size() > 11 ? line.substr(11) : L""; }

TEST(EventLog, LineFormat) {
  EXPECT_EQ(FormatEventLine(5, L"hello"), L"        5  hello");
  EXPECT_EQ(FormatEventLine(4294967295ul, L"x"), L"4294967295  x");
  std::wstring longMessage(2000, L'm');
  EXPECT_EQ(FormatEventLine(1, longMessage.c_str()).size(), kEventLogLineMax);
}

TEST(EventLog, KeepsTheNewest800AndCutsLongMessages) {
  for (int i = 0; i < 801; ++i) LogEvent(L"fill %d of %ls", i, L"801");
  std::vector<std::wstring> lines = Lines();
  ASSERT_EQ(lines.size(), 800u);
  EXPECT_EQ(MessageOf(lines.front()), L"fill 1 of 801");
  EXPECT_EQ(MessageOf(lines.back()), L"fill 800 of 801");

  std::wstring longMessage(2000, L'z');
  LogEvent(L"%ls", longMessage.c_str());
  lines = Lines();
  ASSERT_EQ(lines.size(), 800u);
  EXPECT_EQ(MessageOf(lines.back()), std::wstring(899, L'z'));
  EXPECT_EQ(lines.back().substr(9, 2), L"  ");
}

TEST(EventLog, ReaderNeverSeesAPartialLine) {
  std::atomic<bool> stop{false};
  std::vector<std::thread> writers;
  for (int t = 0; t < 4; ++t)
    writers.emplace_back([t, &stop] {
      for (int i = 0; i < 3000 && !stop; ++i) LogEvent(L"writer %d line %d end", t, i);
    });
  int reads = 0;
  bool ok = true;
  for (; reads < 200 && ok; ++reads) {
    for (const std::wstring& line : Lines()) {
      std::wstring msg = MessageOf(line);
      bool complete = msg.size() >= 4 && msg.compare(msg.size() - 4, 4, L" end") == 0;
      bool earlier = msg.rfind(L"writer ", 0) != 0;  // lines of other tests
      if (!complete && !earlier) {
        ok = false;
        ADD_FAILURE() << "partial line: " << std::string(msg.begin(), msg.end());
        break;
      }
    }
  }
  stop = true;
  for (auto& w : writers) w.join();
  EXPECT_TRUE(ok);
  EXPECT_EQ(Lines().size(), 800u);
}

}  // namespace
