#include "pages/page_transfer.h"

namespace {

constexpr size_t kMagicAt = 0, kXAt = 4, kYAt = 8, kPageAt = 12, kMoveAt = 16, kTokenAt = 20, kSenderAt = 24,
                 kPathAt = 32, kNameAt = kPathAt + 2 * kTransferPathChars;
static_assert(kNameAt + 2 * kTransferNameChars == kTransferRecordSize, "the record's fields fill it");

void Put(std::vector<uint8_t>& out, size_t at, uint64_t value, size_t bytes) {
  for (size_t i = 0; i < bytes; ++i) out[at + i] = uint8_t(value >> (8 * i));
}

uint64_t Get(const uint8_t* data, size_t at, size_t bytes) {
  uint64_t value = 0;
  for (size_t i = 0; i < bytes; ++i) value |= uint64_t(data[at + i]) << (8 * i);
  return value;
}

bool PutText(std::vector<uint8_t>& out, size_t at, size_t chars, const std::u16string& text) {
  if (text.size() >= chars) return false;
  for (size_t i = 0; i < text.size(); ++i) Put(out, at + 2 * i, text[i], 2);
  return true;  // the rest, the terminator included, is already zero
}

// The text up to its NUL; false when the field has none.
bool GetText(const uint8_t* data, size_t at, size_t chars, std::u16string& text) {
  text.clear();
  for (size_t i = 0; i < chars; ++i) {
    const char16_t c = char16_t(Get(data, at + 2 * i, 2));
    if (c == 0) return true;
    text.push_back(c);
  }
  return false;
}

}  // namespace

std::vector<uint8_t> EncodeTransfer(const PageTransfer& t) {
  std::vector<uint8_t> out(kTransferRecordSize, 0);
  Put(out, kMagicAt, kTransferMagic, 4);
  Put(out, kXAt, uint32_t(t.x), 4);
  Put(out, kYAt, uint32_t(t.y), 4);
  Put(out, kPageAt, uint32_t(t.page), 4);
  Put(out, kMoveAt, t.move ? 1 : 0, 4);
  Put(out, kTokenAt, t.token, 4);
  Put(out, kSenderAt, t.sender, 8);
  if (!PutText(out, kPathAt, kTransferPathChars, t.path) || !PutText(out, kNameAt, kTransferNameChars, t.name))
    return {};
  return out;
}

bool DecodeTransfer(const uint8_t* data, size_t size, PageTransfer& out) {
  if (!data || size != kTransferRecordSize || Get(data, kMagicAt, 4) != kTransferMagic) return false;
  PageTransfer t;
  t.x = int32_t(uint32_t(Get(data, kXAt, 4)));
  t.y = int32_t(uint32_t(Get(data, kYAt, 4)));
  t.page = int32_t(uint32_t(Get(data, kPageAt, 4)));
  const uint64_t move = Get(data, kMoveAt, 4);
  t.move = move == 1;
  t.token = uint32_t(Get(data, kTokenAt, 4));
  t.sender = Get(data, kSenderAt, 8);
  if (t.page < 0 || move > 1 || t.sender == 0) return false;
  if (!GetText(data, kPathAt, kTransferPathChars, t.path) || t.path.empty()) return false;
  if (!GetText(data, kNameAt, kTransferNameChars, t.name)) return false;
  out = std::move(t);
  return true;
}

uint32_t TransferToken(uint32_t tickCount, int sourceIndex, uint64_t senderWindow) {
  return tickCount ^ (uint32_t(sourceIndex) << 8) ^ uint32_t(senderWindow);
}

std::wstring TransferHintText(bool canTake, bool move, int pressedPosition) {
  if (!canTake) return L"That Folivex window can't take a page right now (it needs an open PDF that can be changed).";
  const std::wstring page = std::to_wstring(pressedPosition + 1);
  if (move)
    return L"Let go to MOVE page " + page +
           L" into the other PDF (it will be deleted here). Release Shift to copy instead. (Esc cancels.)";
  return L"Let go to COPY page " + page + L" into the other PDF. Hold Shift to move it instead. (Esc cancels.)";
}
