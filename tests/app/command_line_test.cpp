#include "app/command_line.h"

#include <gtest/gtest.h>

namespace {

CommandLineArgs Parse(std::vector<std::wstring> args) {
  args.insert(args.begin(), L"Folivex.exe");
  std::wstring whole;
  for (const auto& a : args) whole += a + L" ";
  return ParseCommandLine(whole, args);
}

TEST(CommandLine, PathsAndPages) {
  EXPECT_EQ(Parse({L"a.pdf", L"b.pdf"}).path, L"b.pdf");
  CommandLineArgs r = Parse({L"/page", L"5", L"a.pdf"});
  EXPECT_EQ(r.path, L"a.pdf");
  EXPECT_EQ(r.initialPage, 4);
  EXPECT_EQ(Parse({L"/page", L"abc", L"a.pdf"}).initialPage, -1);
  EXPECT_EQ(Parse({L"/page", L"0", L"a.pdf"}).initialPage, -1);
  EXPECT_EQ(Parse({L"a.pdf"}).initialPage, -1);
  EXPECT_EQ(Parse({}).path, L"");
  // Switch names ignore case.
  EXPECT_EQ(Parse({L"/PAGE", L"2", L"x.pdf"}).initialPage, 1);
}

TEST(CommandLine, AtRectangle) {
  CommandLineArgs ok = Parse({L"/at", L"10,10,800,600", L"a.pdf"});
  EXPECT_TRUE(ok.atValid);
  EXPECT_EQ(ok.atX, 10);
  EXPECT_EQ(ok.atY, 10);
  EXPECT_EQ(ok.atW, 800);
  EXPECT_EQ(ok.atH, 600);
  EXPECT_EQ(ok.path, L"a.pdf");

  // Too narrow: ignored, but the value is still consumed and the path opens.
  CommandLineArgs narrow = Parse({L"/at", L"10,10,150,900", L"a.pdf"});
  EXPECT_FALSE(narrow.atValid);
  EXPECT_EQ(narrow.path, L"a.pdf");
  EXPECT_FALSE(Parse({L"/at", L"10,10,900,200", L"a.pdf"}).atValid);
  EXPECT_TRUE(Parse({L"/at", L"-5,-5,201,201", L"a.pdf"}).atValid);
  CommandLineArgs partial = Parse({L"/at", L"10,10,800", L"a.pdf"});
  EXPECT_FALSE(partial.atValid);
  EXPECT_EQ(partial.path, L"a.pdf");
}

TEST(CommandLine, ValueSwitchStandingLastIsAPath) {
  EXPECT_EQ(Parse({L"a.pdf", L"/page"}).path, L"/page");
  EXPECT_EQ(Parse({L"a.pdf", L"/at"}).path, L"/at");
  EXPECT_EQ(Parse({L"/updated"}).path, L"/updated");
  CommandLineArgs upd = Parse({L"/updated", L"1.6.1", L"a.pdf"});
  EXPECT_EQ(upd.updatedFrom, L"1.6.1");
  EXPECT_EQ(upd.path, L"a.pdf");
}

TEST(CommandLine, WindowsEngineSwitch) {
  CommandLineArgs caps = Parse({L"/WINENGINE", L"a.pdf"});
  EXPECT_TRUE(caps.forceWindowsEngine);
  EXPECT_EQ(caps.path, L"a.pdf");  // skipped in the argument scan
  EXPECT_TRUE(Parse({L"a.pdf", L"/WinEngine"}).forceWindowsEngine);
  EXPECT_FALSE(Parse({L"a.pdf"}).forceWindowsEngine);
  // Detected anywhere in the line, as a substring.
  EXPECT_TRUE(ParseCommandLine(L"Folivex.exe \"c:\\x/winengine\\a.pdf\"", {L"Folivex.exe", L"c:\\x/winengine\\a.pdf"})
                  .forceWindowsEngine);
}

}  // namespace
