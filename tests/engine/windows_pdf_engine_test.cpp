#include "engine/windows_pdf_engine.h"

#include <roapi.h>

#include <gtest/gtest.h>

#include <vector>

#include "base/handles.h"
#include "tests/engine/engine_test_support.h"

using namespace engine_test;

namespace {

// A rendered picture that deletes its bitmap (the engine hands it over
// through a plain RenderedPage).
struct Dib {
  RenderedPage page;
  ~Dib() { Gdi<HBITMAP> owned(page.bitmap); }
  uint32_t At(int x, int y) const { return static_cast<const uint32_t*>(page.bits)[size_t(y) * page.width + x]; }
};

}  // namespace

// A 600 x 800 picture turned a quarter clockwise becomes 800 x 600 with the
// source's bottom-left pixel at the top left.
TEST(WindowsEngine, TurnedBitmaps) {
  const int w = 600, h = 800;
  std::vector<uint32_t> source(size_t(w) * h);
  for (int i = 0; i < h; ++i)
    for (int j = 0; j < w; ++j) source[size_t(i) * w + j] = uint32_t(i) << 16 | uint32_t(j);
  const uint32_t topLeft = source[0], topRight = source[w - 1], bottomLeft = source[size_t(h - 1) * w],
                 bottomRight = source.back();

  Dib quarter;
  ASSERT_EQ(MakeTurnedBitmap(source.data(), w, h, 1, quarter.page), S_OK);
  EXPECT_EQ(quarter.page.width, 800);
  EXPECT_EQ(quarter.page.height, 600);
  EXPECT_EQ(quarter.page.rotation, 1);
  EXPECT_EQ(quarter.At(0, 0), bottomLeft);
  EXPECT_EQ(quarter.At(799, 0), topLeft);
  EXPECT_EQ(quarter.At(799, 599), topRight);
  EXPECT_EQ(quarter.At(0, 599), bottomRight);

  Dib upright, half, three;
  ASSERT_EQ(MakeTurnedBitmap(source.data(), w, h, 0, upright.page), S_OK);
  EXPECT_EQ(upright.page.width, 600);
  EXPECT_EQ(upright.At(0, 0), topLeft);
  ASSERT_EQ(MakeTurnedBitmap(source.data(), w, h, 2, half.page), S_OK);
  EXPECT_EQ(half.page.height, 800);
  EXPECT_EQ(half.At(0, 0), bottomRight);
  ASSERT_EQ(MakeTurnedBitmap(source.data(), w, h, 3, three.page), S_OK);
  EXPECT_EQ(three.page.width, 800);
  EXPECT_EQ(three.At(0, 0), topRight);
  EXPECT_EQ(three.At(0, 599), topLeft);

  RenderedPage none;
  EXPECT_EQ(MakeTurnedBitmap(source.data(), 0, h, 0, none), E_INVALIDARG);
  EXPECT_EQ(MakeTurnedBitmap(source.data(), w, h, 4, none), E_INVALIDARG);
  EXPECT_EQ(none.bitmap, nullptr);
}

// Where Windows.Data.Pdf is not registered (Wine) the engine reports itself
// unavailable and refuses every operation; where it is, it opens and renders.
TEST(WindowsEngine, AvailabilityAndOperations) {
  HRESULT ro = RoInitialize(RO_INIT_MULTITHREADED);
  {
    WindowsPdfEngine engine;
    HRESULT started = engine.Start();
    PageSizes sizes;
    RenderedPage out;
    if (FAILED(started)) {
      EXPECT_FALSE(engine.Ready());
      EXPECT_EQ(engine.Open(DataFile(L"text_image.pdf"), L"", sizes), kHrNoEngine);
      EXPECT_EQ(engine.Probe(DataFile(L"text_image.pdf"), L"", sizes), kHrNoEngine);
      EXPECT_EQ(engine.Render(0, 100, 100, 0, false, out), E_FAIL);
      EXPECT_EQ(out.bitmap, nullptr);
      EXPECT_TRUE(engine.BmpMode());  // no render was tried
    } else {
      ASSERT_TRUE(engine.Ready());
      ASSERT_EQ(engine.Open(DataFile(L"text_image.pdf"), L"", sizes), S_OK);
      ASSERT_EQ(sizes.Count(), 3u);
      EXPECT_NEAR(sizes.widths[0], 816.0f, 1.0f);
      EXPECT_NEAR(sizes.widths[1], 1056.0f, 1.0f);
      Dib turned;
      ASSERT_EQ(engine.Render(0, 408, 528, 1, false, turned.page), S_OK);
      EXPECT_NEAR(turned.page.width, 528, 2);
      EXPECT_NEAR(turned.page.height, 408, 2);
      EXPECT_EQ(engine.Open(DataFile(L"password.pdf"), L"", sizes) < 0, true);
      EXPECT_EQ(engine.Open(DataFile(L"password.pdf"), L"geheim-\u00fc", sizes), S_OK);
    }
    PageText text;
    EXPECT_FALSE(engine.ReadPageText(0, text));
    EXPECT_TRUE(engine.ReadBookmarks().empty());
    EXPECT_FALSE(engine.AddBroughtInPages({{DataFile(L"links.pdf"), 0}}, sizes));
    engine.Stop();
    EXPECT_FALSE(engine.Ready());
  }
  if (SUCCEEDED(ro)) RoUninitialize();
}
