// Spare page pictures: handed out again only at their own size, within
// their bounds, and deleted when let go.
#include "base/dib.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/handles.h"

namespace {

bool Alive(HBITMAP bitmap) { return GetObjectType(bitmap) == OBJ_BITMAP; }

HBITMAP NewDib(int width, int height) {
  void* bits = nullptr;
  return CreateTopDownDib(width, height, &bits);
}

class SpareDibs : public ::testing::Test {
 protected:
  void SetUp() override { ReleaseSpareDibs(); }
  void TearDown() override { ReleaseSpareDibs(); }
};

TEST_F(SpareDibs, ASpareIsHandedOutOnlyAtItsOwnSize) {
  void* bits = nullptr;
  HBITMAP first = TakePictureDib(300, 400, &bits);
  ASSERT_NE(first, nullptr);
  void* const firstBits = bits;
  RetirePictureDib(first);
  EXPECT_EQ(SpareDibCount(), 1u);

  // Another size: a new bitmap, the spare stays.
  Gdi<HBITMAP> other(TakePictureDib(400, 300, &bits));
  ASSERT_NE(other.Get(), nullptr);
  EXPECT_NE(other.Get(), first);
  EXPECT_EQ(SpareDibCount(), 1u);

  // The same size: the spare itself, with its pixels.
  Gdi<HBITMAP> again(TakePictureDib(300, 400, &bits));
  EXPECT_EQ(again.Get(), first);
  EXPECT_EQ(bits, firstBits);
  EXPECT_EQ(SpareDibCount(), 0u);

  // Nothing to hand out: sizes a DIB can't have still fail.
  EXPECT_EQ(TakePictureDib(0, 10, &bits), nullptr);
  EXPECT_EQ(bits, nullptr);
}

TEST_F(SpareDibs, SparesStayWithinTheirBounds) {
  // The count: a third spare puts the oldest out.
  HBITMAP a = NewDib(100, 100), b = NewDib(100, 100), c = NewDib(100, 100);
  RetirePictureDib(a);
  RetirePictureDib(b);
  RetirePictureDib(c);
  EXPECT_EQ(SpareDibCount(), kSpareDibs);
  EXPECT_FALSE(Alive(a));
  EXPECT_TRUE(Alive(b));
  EXPECT_TRUE(Alive(c));

  // The pixels: two pictures of 5 million pixels don't both stay.
  Gdi<HBITMAP> ownedBig1(NewDib(2500, 2000)), ownedBig2(NewDib(2000, 2500));
  ASSERT_NE(ownedBig1.Get(), nullptr);
  ASSERT_NE(ownedBig2.Get(), nullptr);
  const HBITMAP big1 = ownedBig1.Release(), big2 = ownedBig2.Release();  // the spares own them from here
  RetirePictureDib(big1);
  EXPECT_FALSE(Alive(b)) << "the oldest made room";
  RetirePictureDib(big2);
  EXPECT_FALSE(Alive(big1));
  EXPECT_FALSE(Alive(c));
  EXPECT_TRUE(Alive(big2));
  EXPECT_EQ(SpareDibCount(), 1u);

  // Too large to keep at all, or not a picture of ours: deleted at once.
  HBITMAP huge = NewDib(3000, 3000);
  ASSERT_NE(huge, nullptr);
  RetirePictureDib(huge);
  EXPECT_FALSE(Alive(huge));
  HBITMAP plain = CreateCompatibleBitmap(WindowDc(nullptr).Get(), 50, 50);
  ASSERT_NE(plain, nullptr);
  RetirePictureDib(plain);
  EXPECT_FALSE(Alive(plain));
  EXPECT_TRUE(Alive(big2));

  ReleaseSpareDibs();
  EXPECT_EQ(SpareDibCount(), 0u);
  EXPECT_FALSE(Alive(big2));
}

// Spares are let go and taken from several threads at once.
TEST_F(SpareDibs, ThreadsShareTheSpares) {
  std::vector<UniqueHandle> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back(CreateThread(
        nullptr, 0,
        [](void*) -> DWORD {
          for (int i = 0; i < 300; ++i) {
            void* bits = nullptr;
            HBITMAP dib = TakePictureDib(64, 32 + i % 3, &bits);
            if (!dib || !bits) return 1;
            static_cast<uint32_t*>(bits)[0] = 0xFFFFFFFF;
            RetirePictureDib(dib);
          }
          return 0;
        },
        nullptr, 0, nullptr));
    ASSERT_NE(threads.back().Get(), nullptr);
  }
  for (const UniqueHandle& thread : threads) {
    EXPECT_EQ(WaitForSingleObject(thread.Get(), 20000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeThread(thread.Get(), &code);
    EXPECT_EQ(code, 0u);
  }
  EXPECT_LE(SpareDibCount(), kSpareDibs);
}

}  // namespace
