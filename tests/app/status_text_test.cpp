#include "app/status_text.h"
#include "doc/document_rules.h"

#include <gtest/gtest.h>

TEST(StatusText, PageZoomRotation) {
  EXPECT_EQ(StatusPageText(true, false, 2, 12), L"  Page 3 of 12");
  EXPECT_EQ(StatusPageText(false, true, 0, 0), L"  Loading...");
  EXPECT_EQ(StatusPageText(false, false, 0, 0), L"  No document");
  EXPECT_EQ(StatusZoomText(true, 0, 87.5), L"  Zoom 88% (fit width)");
  EXPECT_EQ(StatusZoomText(true, 1, 41.2), L"  Zoom 41% (fit page)");
  EXPECT_EQ(StatusZoomText(true, 2, 100.0), L"  Zoom 100%");
  EXPECT_EQ(StatusZoomText(true, 2, 99.5), L"  Zoom 100%");
  EXPECT_EQ(StatusZoomText(false, 2, 100.0), L"");
  EXPECT_EQ(StatusRotationText(true, 2), L"  Rotation 180\u00B0");
  EXPECT_EQ(StatusRotationText(true, 0), L"  Rotation 0\u00B0");
  EXPECT_EQ(StatusRotationText(false, 1), L"");
}

TEST(StatusText, MessagesAreCutToTheBuffer) {
  EXPECT_EQ(StatusMessageText(L"Sent to the printer."), L"  Sent to the printer.");
  EXPECT_EQ(StatusMessageText(L""), L"  ");
  std::wstring fits(297, L'a'), tooLong(298, L'b');
  EXPECT_EQ(StatusMessageText(fits), L"  " + fits);
  EXPECT_EQ(StatusMessageText(tooLong), L"  " + std::wstring(297, L'b'));
}

TEST(StatusText, Title) {
  EXPECT_EQ(TitleText(false, true, L"x.pdf"), L"Folivex");
  EXPECT_EQ(TitleText(true, false, L"name.pdf"), L"name.pdf - Folivex");
  EXPECT_EQ(TitleText(true, true, L"name.pdf"), L"* name.pdf - Folivex");
  EXPECT_EQ(DisplayNameOf(L"C:\\docs\\a b.pdf"), L"a b.pdf");
  EXPECT_EQ(DisplayNameOf(L"Z:/tmp/x.pdf"), L"x.pdf");
  EXPECT_EQ(DisplayNameOf(L"plain.pdf"), L"plain.pdf");
}
