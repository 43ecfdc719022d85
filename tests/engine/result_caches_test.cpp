#include "engine/result_caches.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>

namespace {

// Bitmaps are fake handles here: numbers, recorded when deleted.
std::multiset<uintptr_t>* g_deleted = nullptr;
void RecordDelete(void* bitmap) { g_deleted->insert(reinterpret_cast<uintptr_t>(bitmap)); }

class Caches : public ::testing::Test {
 protected:
  void SetUp() override { g_deleted = &deleted; }
  void TearDown() override { g_deleted = nullptr; }

  static CachedPicture Picture(uintptr_t handle, int width, int height, uint32_t stamp = 1000) {
    CachedPicture p;
    p.bitmap = reinterpret_cast<void*>(handle);
    p.gotWidth = width;
    p.gotHeight = height;
    p.askedWidth = width;
    p.askedHeight = height;
    p.stamp = stamp;
    return p;
  }
  bool Deleted(uintptr_t handle) const { return deleted.count(handle) > 0; }

  std::multiset<uintptr_t> deleted;
};

TEST_F(Caches, The401stThumbnailEvictsTheOldest) {
  PictureCache thumbs(RecordDelete);
  // All stored within the same millisecond: the order of storing decides.
  for (int page = 0; page < 400; ++page) {
    thumbs.Store(page, Picture(uintptr_t(page + 1), 60, 80));
    EXPECT_EQ(thumbs.TrimToCount(kThumbnailLimit), 0u);
  }
  // Painting page 0 again makes it recent; page 1 is now the oldest.
  thumbs.Touch(0, 1000);
  thumbs.Store(400, Picture(401, 60, 80));
  EXPECT_EQ(thumbs.TrimToCount(kThumbnailLimit), 1u);
  EXPECT_EQ(thumbs.Count(), 400u);
  EXPECT_EQ(thumbs.Find(1), nullptr);
  EXPECT_TRUE(Deleted(2));
  EXPECT_NE(thumbs.Find(0), nullptr);
  EXPECT_NE(thumbs.Find(400), nullptr);
  EXPECT_EQ(deleted.size(), 1u);
}

TEST_F(Caches, PixelBoundNeverEvictsAVisiblePicture) {
  PictureCache pictures(RecordDelete);
  // Eight pictures of 10 million pixels each, page 0 stored first.
  for (int page = 0; page < 8; ++page) pictures.Store(page, Picture(uintptr_t(100 + page), 4000, 2500));
  EXPECT_EQ(pictures.TotalPixels(), 80000000u);

  // Pages 0, 1 and 2 are on screen: the oldest of the others go first.
  EXPECT_EQ(pictures.TrimToPixels(kPagePicturePixelBound, {0, 1, 2}), 2u);
  EXPECT_TRUE(Deleted(103));
  EXPECT_TRUE(Deleted(104));
  EXPECT_EQ(pictures.TotalPixels(), 60000000u);
  for (int page : {0, 1, 2, 5, 6, 7}) EXPECT_NE(pictures.Find(page), nullptr) << page;

  // More visible pictures than the bound allows: they all stay.
  PictureCache big(RecordDelete);
  for (int page = 0; page < 7; ++page) big.Store(page, Picture(uintptr_t(200 + page), 4000, 2500));
  big.Store(7, Picture(207, 100, 100));
  EXPECT_EQ(big.TrimToPixels(kPagePicturePixelBound, {0, 1, 2, 3, 4, 5, 6}), 1u);
  EXPECT_TRUE(Deleted(207));
  EXPECT_EQ(big.Count(), 7u);
  EXPECT_EQ(big.TotalPixels(), 70000000u);
}

TEST_F(Caches, StoringReplacesAndCurrentMeansTheAskedSize) {
  PictureCache pictures(RecordDelete);
  CachedPicture first = Picture(1, 800, 1000);
  pictures.Store(3, first);
  CachedPicture second = Picture(2, 799, 1000);  // delivered a pixel narrower than asked
  second.askedWidth = 800;
  pictures.Store(3, second);
  EXPECT_TRUE(Deleted(1));
  EXPECT_FALSE(Deleted(2));
  EXPECT_EQ(pictures.Count(), 1u);

  EXPECT_TRUE(pictures.IsCurrent(3, 0, 800, 1000));
  EXPECT_FALSE(pictures.IsCurrent(3, 1, 800, 1000));  // another rotation
  EXPECT_FALSE(pictures.IsCurrent(3, 0, 799, 1000));  // another asked size
  EXPECT_FALSE(pictures.IsCurrent(4, 0, 800, 1000));  // nothing cached

  pictures.Store(5, Picture(5, 10, 10));
  pictures.Remove(5);
  EXPECT_TRUE(Deleted(5));
  {
    PictureCache scoped(RecordDelete);
    scoped.Store(0, Picture(9, 10, 10));
  }
  EXPECT_TRUE(Deleted(9));  // the cache's end deletes what it holds
  pictures.Clear();
  EXPECT_TRUE(Deleted(2));
  EXPECT_EQ(pictures.Count(), 0u);
}

}  // namespace
