// Owned Windows handles. Each wrapper holds one handle, releases it when it
// goes out of scope or is given another, and can be moved but not copied:
//   UniqueHandle     kernel objects that are null when empty (events, threads)
//   UniqueFile       CreateFileW and others that fail with INVALID_HANDLE_VALUE
//   UniqueFind       FindFirstFileW's search handle
//   UniqueRegKey     registry keys
//   UniqueModule     LoadLibraryExW
//   Gdi<T>           GDI objects made by the program (bitmaps, fonts, brushes, pens, regions)
//   UniqueDc         memory DCs (CreateCompatibleDC)
//   UniqueAccel      accelerator tables
//   WindowDc         GetDC / ReleaseDC of a window
//   SelectedObject   SelectObject into a DC, put back on the way out
#pragma once
#include <windows.h>

#include <utility>

template <typename Traits>
class Owned {
 public:
  using Type = typename Traits::Type;

  Owned() = default;
  explicit Owned(Type value) : value_(value) {}
  ~Owned() { Free(); }
  Owned(Owned&& other) noexcept : value_(other.Release()) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;

  Type Get() const { return value_; }
  explicit operator bool() const { return value_ != Traits::Empty(); }
  // Gives up ownership without releasing.
  Type Release() { return std::exchange(value_, Traits::Empty()); }
  void Reset(Type value = Traits::Empty()) {
    if (value == value_) return;
    Free();
    value_ = value;
  }

 private:
  void Free() {
    if (value_ != Traits::Empty()) Traits::Close(value_);
    value_ = Traits::Empty();
  }
  Type value_ = Traits::Empty();
};

namespace handle_traits {
struct Kernel {
  using Type = HANDLE;
  static Type Empty() { return nullptr; }
  static void Close(Type h) { CloseHandle(h); }
};
struct File {
  using Type = HANDLE;
  static Type Empty() { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) { CloseHandle(h); }
};
struct Find {
  using Type = HANDLE;
  static Type Empty() { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) { FindClose(h); }
};
struct RegKey {
  using Type = HKEY;
  static Type Empty() { return nullptr; }
  static void Close(Type h) { RegCloseKey(h); }
};
struct Module {
  using Type = HMODULE;
  static Type Empty() { return nullptr; }
  static void Close(Type h) { FreeLibrary(h); }
};
template <typename T>
struct GdiObject {
  using Type = T;
  static Type Empty() { return nullptr; }
  static void Close(Type h) { DeleteObject(h); }
};
struct MemoryDc {
  using Type = HDC;
  static Type Empty() { return nullptr; }
  static void Close(Type h) { DeleteDC(h); }
};
struct Accel {
  using Type = HACCEL;
  static Type Empty() { return nullptr; }
  static void Close(Type h) { DestroyAcceleratorTable(h); }
};
}  // namespace handle_traits

using UniqueHandle = Owned<handle_traits::Kernel>;
using UniqueFile = Owned<handle_traits::File>;
using UniqueFind = Owned<handle_traits::Find>;
using UniqueRegKey = Owned<handle_traits::RegKey>;
using UniqueModule = Owned<handle_traits::Module>;
template <typename T>
using Gdi = Owned<handle_traits::GdiObject<T>>;
using UniqueDc = Owned<handle_traits::MemoryDc>;
using UniqueAccel = Owned<handle_traits::Accel>;

// A window's DC from GetDC, released with ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC Get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// An object selected into a DC for as long as this lives; the DC's previous
// object is selected again at the end (or earlier, through Restore).
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(dc && object ? SelectObject(dc, object) : nullptr) {}
  ~SelectedObject() { Restore(); }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;
  // False when the object could not be selected.
  explicit operator bool() const { return old_ && old_ != HGDI_ERROR; }
  void Restore() {
    if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
    old_ = nullptr;
  }

 private:
  HDC dc_;
  HGDIOBJ old_;
};
