// The UI thread's caches of rendered pictures: page pictures for the page
// view and thumbnails for the page panel, both keyed by engine page index.
// The cache owns the bitmaps it holds and deletes them through the deleter
// it was made with. Platform-neutral (bitmaps are opaque handles here).
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

// Page pictures are trimmed to this many pixels, the visible ones excepted.
inline constexpr uint64_t kPagePicturePixelBound = 60000000;
// The page panel keeps at most this many thumbnails.
inline constexpr size_t kThumbnailLimit = 400;

struct CachedPicture {
  void* bitmap = nullptr;  // DIB section handle, owned by the cache once stored
  void* bits = nullptr;    // its pixels
  int gotWidth = 0;        // the bitmap's real size
  int gotHeight = 0;
  int rotation = 0;
  int askedWidth = 0;      // the size asked for, in display orientation
  int askedHeight = 0;
  uint32_t stamp = 0;      // tick count when stored or last painted
};

class PictureCache {
 public:
  using BitmapDeleter = void (*)(void* bitmap);

  explicit PictureCache(BitmapDeleter deleter) : deleter_(deleter) {}
  ~PictureCache() { Clear(); }
  PictureCache(const PictureCache&) = delete;
  PictureCache& operator=(const PictureCache&) = delete;

  // Stores a picture under its page, deleting the bitmap it replaces.
  void Store(int page, const CachedPicture& picture);
  const CachedPicture* Find(int page) const;
  // Whether the cached picture of the page fits the view as it is now: same
  // rotation and the same asked size (the delivered size is not compared).
  bool IsCurrent(int page, int rotation, int askedWidth, int askedHeight) const;
  // Marks a picture as painted now; it becomes the most recently used.
  void Touch(int page, uint32_t stamp);
  void Remove(int page);
  // Hands the picture of a page over to the caller, who then owns its
  // bitmap; false when there is none.
  bool Take(int page, CachedPicture& picture);
  void Clear();

  size_t Count() const { return entries_.size(); }
  uint64_t TotalPixels() const;

  // While more than maxEntries are held, deletes the one used longest ago.
  // Returns how many were deleted.
  size_t TrimToCount(size_t maxEntries);
  // While the pictures hold more than maxPixels pixels, deletes the one used
  // longest ago among those whose page is not in visiblePages; stops when
  // only visible ones are left. Returns how many were deleted.
  size_t TrimToPixels(uint64_t maxPixels, const std::vector<int>& visiblePages);

 private:
  struct Entry {
    CachedPicture picture;
    uint64_t use = 0;  // order of storing and painting, immune to clock wrap and ties
  };
  void Delete(Entry& entry);

  std::map<int, Entry> entries_;
  uint64_t nextUse_ = 0;
  BitmapDeleter deleter_;
};
