// Serves the engine's many small reads of a PDF file (one or two per object
// while it opens a document) from a window of the file read in one go.
// Under Wine every read of the file is a system call of several
// microseconds, and opening a document of 8,000 pages makes some 10,000 of
// them. Reads of a window's size or more go straight to the file.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

class ReadAhead {
 public:
  // Reads exactly `size` bytes at `position` of the file; false on failure.
  using ReadAt = bool (*)(void* file, uint64_t position, uint8_t* buffer, size_t size);
  static constexpr size_t kWindow = 65536;

  ReadAhead(ReadAt readAt, void* file, uint64_t length, size_t window = kWindow)
      : readAt_(readAt), file_(file), length_(length), window_(window ? window : 1) {}

  // Exactly `size` bytes at `position`; false when they are not all in the
  // file or the file can't be read.
  bool Read(uint64_t position, uint8_t* buffer, size_t size);
  // The same file, now read through another handle (null: none, every read
  // of the file fails). The window stays: the bytes are the same.
  void SetFile(void* file) { file_ = file; }

 private:
  ReadAt readAt_;
  void* file_;
  uint64_t length_;
  size_t window_;
  std::vector<uint8_t> bytes_;  // the window: bytes_.size() bytes at start_
  uint64_t start_ = 0;
};
