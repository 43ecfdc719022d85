#include "pdf/pdf_lexer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const uint8_t* U(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

bool Integer(const std::string& s, int64_t& v) {
  size_t next = 0;
  return PdfReadInteger(U(s), 0, s.size(), v, next);
}

// The text of the value that starts at the beginning of s, or "<fail>".
std::string Skip(const std::string& s) {
  size_t next = 0;
  if (!PdfSkipValue(U(s), 0, s.size(), next)) return "<fail>";
  return s.substr(0, next);
}

PdfSpan Whole(const std::string& s) { return PdfSpan{U(s), 0, s.size(), s.size()}; }

TEST(PdfLexer, IntegersHaveOneTo18DigitsAndEndAtATokenBoundary) {
  int64_t v = 0;
  EXPECT_TRUE(Integer("0", v));
  EXPECT_EQ(v, 0);
  EXPECT_TRUE(Integer("-17", v));
  EXPECT_EQ(v, -17);
  EXPECT_TRUE(Integer("+42 ", v));
  EXPECT_EQ(v, 42);
  EXPECT_TRUE(Integer("12/Name", v));
  EXPECT_EQ(v, 12);
  EXPECT_TRUE(Integer("999999999999999999", v));  // 18 digits
  EXPECT_EQ(v, 999999999999999999LL);
  EXPECT_FALSE(Integer("1000000000000000000", v));  // 19 digits
  EXPECT_FALSE(Integer("0000000000000000001", v));  // 19 digits, however small
  EXPECT_FALSE(Integer("1.5", v));
  EXPECT_FALSE(Integer("12a", v));
  EXPECT_FALSE(Integer("+", v));
  EXPECT_FALSE(Integer("-", v));
  EXPECT_FALSE(Integer("", v));
  EXPECT_FALSE(Integer("--1", v));
}

TEST(PdfLexer, KeywordsAndWhiteSpaceWithComments) {
  const std::string s = "obj\nendobjx trailer<<";
  size_t next = 0;
  EXPECT_TRUE(PdfMatchKeyword(U(s), 0, s.size(), "obj", next));
  EXPECT_EQ(next, 3u);
  EXPECT_FALSE(PdfMatchKeyword(U(s), 4, s.size(), "endobj", next));  // "endobjx"
  EXPECT_TRUE(PdfMatchKeyword(U(s), 12, s.size(), "trailer", next));  // followed by a delimiter
  const std::string end = "R";
  EXPECT_TRUE(PdfMatchKeyword(U(end), 0, 1, "R", next));  // at the end of the span

  const std::string w = std::string("\0\t\n\f\r %comment\r% second\n  x", 27);
  EXPECT_EQ(w[PdfSkipWhite(U(w), 0, w.size())], 'x');
  const std::string unterminated = "  % no line end";
  EXPECT_EQ(PdfSkipWhite(U(unterminated), 0, unterminated.size()), unterminated.size());
}

TEST(PdfLexer, SkipsEachKindOfValue) {
  EXPECT_EQ(Skip("/Name rest"), "/Name");
  EXPECT_EQ(Skip("/A/B"), "/A");
  EXPECT_EQ(Skip("(a (nested) \\) string) x"), "(a (nested) \\) string)");
  EXPECT_EQ(Skip("(unterminated (x)"), "<fail>");
  EXPECT_EQ(Skip("<48656c6c6f> x"), "<48656c6c6f>");
  EXPECT_EQ(Skip("<< /A [1 2 (])] /B << /C 3 0 R >> >> tail"), "<< /A [1 2 (])] /B << /C 3 0 R >> >>");
  EXPECT_EQ(Skip("[1 [2 [3]] /x] y"), "[1 [2 [3]] /x]");
  EXPECT_EQ(Skip("12 0 R /Next"), "12 0 R");
  EXPECT_EQ(Skip("12 %c\n 0 %d\r R]"), "12 %c\n 0 %d\r R");
  EXPECT_EQ(Skip("12 0 obj"), "12");
  EXPECT_EQ(Skip("12 -1 R"), "12");  // not a reference: generation negative
  EXPECT_EQ(Skip("3.14 x"), "3.14");
  EXPECT_EQ(Skip("true]"), "true");
  EXPECT_EQ(Skip("12 0 Rx"), "12");  // "Rx" is not the keyword R
  EXPECT_EQ(Skip(") x"), "<fail>");
  EXPECT_EQ(Skip("] x"), "<fail>");
  EXPECT_EQ(Skip("{ x"), "<fail>");
  EXPECT_EQ(Skip("<< /A 1 > >"), "<fail>");
  EXPECT_EQ(Skip("[1 2"), "<fail>");
  EXPECT_EQ(Skip("<abc"), "<fail>");
  EXPECT_EQ(Skip(""), "<fail>");
}

TEST(PdfLexer, NestingIsLimitedTo100Levels) {
  const std::string ok = std::string(50, '[') + std::string(50, ']') ;
  EXPECT_EQ(Skip(ok), ok);
  std::string hundred;
  for (int i = 0; i < 50; ++i) hundred += "[<< /K ";
  hundred += "1";
  for (int i = 0; i < 50; ++i) hundred += " >>]";
  EXPECT_EQ(Skip(hundred), hundred);
  const std::string deeper = "[" + hundred + "]";
  EXPECT_EQ(Skip(deeper), "<fail>");

  // Inside a dictionary the dictionary itself is the first level.
  PdfDictionary dict;
  const std::string within = "<< /K " + std::string(99, '[') + std::string(99, ']') + " >>";
  EXPECT_TRUE(PdfParseDictionary(Whole(within), dict));
  const std::string beyond = "<< /K " + std::string(100, '[') + std::string(100, ']') + " >>";
  EXPECT_FALSE(PdfParseDictionary(Whole(beyond), dict));
}

TEST(PdfLexer, DictionariesKeepRawKeysAndFindDecodedOnes) {
  const std::string s = "<</Type/Page /Med#69aBox [0 0 1 1]%c\n/Rotate 90 /Type /Other /A#2 x>>";
  PdfDictionary dict;
  ASSERT_TRUE(PdfParseDictionary(Whole(s), dict));
  ASSERT_EQ(dict.entries.size(), 5u);
  EXPECT_EQ(dict.RawKey(dict.entries[1]), "Med#69aBox");
  const PdfDictEntry* box = dict.Find("MediaBox");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(dict.Value(*box).text(), "[0 0 1 1]");
  EXPECT_EQ(dict.Value(*dict.Find("Type")).text(), "/Page");  // the first of two wins
  EXPECT_EQ(dict.Value(*dict.Find("Rotate")).text(), "90");
  EXPECT_NE(dict.Find("A#2"), nullptr);  // "#" without two hex digits stays
  EXPECT_EQ(dict.Find("Parent"), nullptr);
  EXPECT_EQ(dict.text.text(), s);

  const char* bad[] = {"<< Type /Page >>", "<< /A >>", "<< /A 1 > >", "<< /A 1", "< /A 1 >>"};
  for (const char* text : bad) EXPECT_FALSE(PdfParseDictionary(Whole(text), dict)) << text;
}

TEST(PdfLexer, DictionaryEntriesAreCapped) {
  std::string s = "<<";
  for (int i = 0; i < 100000; ++i) s += "/k 1 ";
  PdfDictionary dict;
  EXPECT_TRUE(PdfParseDictionary(Whole(s + ">>"), dict));
  EXPECT_EQ(dict.entries.size(), 100000u);
  EXPECT_FALSE(PdfParseDictionary(Whole(s + "/k 1 >>"), dict));
}

TEST(PdfLexer, ReferencesAreWholeValuesWithinRange) {
  uint32_t n = 0, g = 0;
  EXPECT_TRUE(PdfParseReference(Whole("12 0 R"), n, g));
  EXPECT_EQ(n, 12u);
  EXPECT_EQ(g, 0u);
  EXPECT_TRUE(PdfParseReference(Whole("2147483632 65535 R"), n, g));
  EXPECT_FALSE(PdfParseReference(Whole("2147483633 0 R"), n, g));
  EXPECT_FALSE(PdfParseReference(Whole("0 0 R"), n, g));
  EXPECT_FALSE(PdfParseReference(Whole("5 65536 R"), n, g));
  EXPECT_FALSE(PdfParseReference(Whole("5 0 R 6"), n, g));
  EXPECT_FALSE(PdfParseReference(Whole("5 0"), n, g));
  EXPECT_FALSE(PdfParseReference(Whole("[5 0 R]"), n, g));
}

}  // namespace
