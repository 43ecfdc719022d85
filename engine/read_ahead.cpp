#include "engine/read_ahead.h"

#include <algorithm>
#include <cstring>

bool ReadAhead::Read(uint64_t position, uint8_t* buffer, size_t size) {
  if (position > length_ || size > length_ - position) return false;
  if (size == 0) return true;
  if (size >= window_) return readAt_(file_, position, buffer, size);
  if (position >= start_ && position + size <= start_ + bytes_.size()) {
    std::memcpy(buffer, bytes_.data() + (position - start_), size);
    return true;
  }
  // A window on a fixed grid, so that reads going backwards (the engine
  // looks for the end of the file that way) hit it too; one that would not
  // hold this read starts where the read starts.
  uint64_t start = position - position % window_;
  if (position + size > start + window_) start = position;
  const size_t count = size_t(std::min<uint64_t>(window_, length_ - start));
  bytes_.resize(count);
  if (!readAt_(file_, start, bytes_.data(), count)) {
    bytes_.clear();
    return false;
  }
  start_ = start;
  std::memcpy(buffer, bytes_.data() + (position - start_), size);
  return true;
}
