#include "engine/result_caches.h"

#include <algorithm>

void PictureCache::Delete(Entry& entry) {
  if (entry.picture.bitmap && deleter_) deleter_(entry.picture.bitmap);
  entry.picture.bitmap = nullptr;
  entry.picture.bits = nullptr;
}

void PictureCache::Store(int page, const CachedPicture& picture) {
  auto found = entries_.find(page);
  if (found != entries_.end()) {
    if (found->second.picture.bitmap != picture.bitmap) Delete(found->second);
    found->second.picture = picture;
    found->second.use = ++nextUse_;
    return;
  }
  entries_.emplace(page, Entry{picture, ++nextUse_});
}

const CachedPicture* PictureCache::Find(int page) const {
  auto found = entries_.find(page);
  return found == entries_.end() ? nullptr : &found->second.picture;
}

bool PictureCache::IsCurrent(int page, int rotation, int askedWidth, int askedHeight) const {
  const CachedPicture* p = Find(page);
  return p && p->bitmap && p->rotation == rotation && p->askedWidth == askedWidth && p->askedHeight == askedHeight;
}

void PictureCache::Touch(int page, uint32_t stamp) {
  auto found = entries_.find(page);
  if (found == entries_.end()) return;
  found->second.picture.stamp = stamp;
  found->second.use = ++nextUse_;
}

void PictureCache::Remove(int page) {
  auto found = entries_.find(page);
  if (found == entries_.end()) return;
  Delete(found->second);
  entries_.erase(found);
}

bool PictureCache::Take(int page, CachedPicture& picture) {
  auto found = entries_.find(page);
  if (found == entries_.end()) return false;
  picture = found->second.picture;
  entries_.erase(found);
  return true;
}

void PictureCache::Clear() {
  for (auto& [page, entry] : entries_) Delete(entry);
  entries_.clear();
}

uint64_t PictureCache::TotalPixels() const {
  uint64_t total = 0;
  for (const auto& [page, entry] : entries_)
    total += uint64_t(std::max(entry.picture.gotWidth, 0)) * uint64_t(std::max(entry.picture.gotHeight, 0));
  return total;
}

size_t PictureCache::TrimToCount(size_t maxEntries) {
  size_t deleted = 0;
  while (entries_.size() > maxEntries) {
    auto oldest = std::min_element(entries_.begin(), entries_.end(),
                                   [](const auto& a, const auto& b) { return a.second.use < b.second.use; });
    Delete(oldest->second);
    entries_.erase(oldest);
    ++deleted;
  }
  return deleted;
}

size_t PictureCache::TrimToPixels(uint64_t maxPixels, const std::vector<int>& visiblePages) {
  size_t deleted = 0;
  uint64_t total = TotalPixels();
  while (total > maxPixels) {
    auto oldest = entries_.end();
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
      if (std::find(visiblePages.begin(), visiblePages.end(), it->first) != visiblePages.end()) continue;
      if (oldest == entries_.end() || it->second.use < oldest->second.use) oldest = it;
    }
    if (oldest == entries_.end()) break;  // only visible pictures are left
    total -= uint64_t(std::max(oldest->second.picture.gotWidth, 0)) *
             uint64_t(std::max(oldest->second.picture.gotHeight, 0));
    Delete(oldest->second);
    entries_.erase(oldest);
    ++deleted;
  }
  return deleted;
}
