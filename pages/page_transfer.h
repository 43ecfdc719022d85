// The record two Folivex windows pass a page in (WM_COPYDATA between two
// processes), and the texts of a drag between windows. Platform-neutral:
// the record is 2,600 little-endian bytes whatever the machine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

inline constexpr uint32_t kTransferMagic = 0x47505646;  // "FVPG"
inline constexpr size_t kTransferRecordSize = 2600;
inline constexpr size_t kTransferPathChars = 1024;  // with the terminating NUL
inline constexpr size_t kTransferNameChars = 260;   // with the terminating NUL

struct PageTransfer {
  int32_t x = 0;  // cursor at the drop, screen coordinates
  int32_t y = 0;
  int32_t page = 0;  // 0-based page inside the PDF at `path`
  bool move = false;
  uint32_t token = 0;
  uint64_t sender = 0;  // the sender's main window handle
  std::u16string path;
  std::u16string name;
};

// The record's bytes; empty when the path (1,024 characters or more) or the
// name (260 or more) doesn't fit.
std::vector<uint8_t> EncodeTransfer(const PageTransfer& t);

// Reads a record another process sent. Refuses (false) anything but exactly
// 2,600 bytes with the magic, a page number that is not negative, a move
// flag of 0 or 1, a sender handle, and a path and a name that end inside
// their fields; an empty path is refused too.
bool DecodeTransfer(const uint8_t* data, size_t size, PageTransfer& out);

// The token a move is confirmed with.
uint32_t TransferToken(uint32_t tickCount, int sourceIndex, uint64_t senderWindow);

// The sender's status text while its page is over another window.
std::wstring TransferHintText(bool canTake, bool move, int pressedPosition);
