// Sending a text by driving the Phone Link app: the order of steps and
// every check between them. The app itself is reached through PhoneLinkUi,
// which the Windows side implements with UI Automation and synthesised
// input (and tests with a scripted stand-in). Platform-neutral.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "share/send_result.h"

class PhoneLinkUi {
 public:
  // Elements are numbers the implementation hands out; 0 is none.
  using Element = int;
  enum class Kind { Any, Button, Edit };

  virtual ~PhoneLinkUi() = default;
  // The automation client could be created.
  virtual bool Available() = 0;
  // Phone Link's main window is there (and is then the one used).
  virtual bool FindWindow() = 0;
  virtual void Launch() = 0;
  virtual void Wait(int milliseconds) = 0;
  // Restores the window when minimised and asks for it to come to the front.
  virtual void BringToFront() = 0;
  // Phone Link's window is the foreground window.
  virtual bool InFront() = 0;
  // The window's own element could be read.
  virtual bool ReadWindow() = 0;
  // The first descendant of the window of that kind whose name matches one
  // of `names` (whole name or contained, ignoring case), not `except`.
  virtual Element Find(const std::vector<std::wstring>& names, Kind kind, bool exact, Element except) = 0;
  // The focused element when it belongs to Phone Link, is an edit or combo
  // box and is empty.
  virtual Element FocusedEmptyBox() = 0;
  virtual void Click(Element element) = 0;
  virtual void Focus(Element element) = 0;
  virtual std::wstring ValueOf(Element element) = 0;
  // The names of every descendant of the window except `except`.
  virtual std::vector<std::wstring> Names(Element except) = 0;
  // Types one batch of keystrokes (line feeds as Shift+Enter).
  virtual void TypeBatch(std::wstring_view text) = 0;
  virtual void PressEnter() = 0;
};

// Characters typed per keystroke batch; Phone Link must still be in front
// before each one.
inline constexpr size_t kTypingBatch = 8;

inline constexpr wchar_t kPhoneLinkSafetyText[] =
    L"Phone Link stopped being the window in front (another window was clicked or popped up), so Folivex stopped "
    L"typing to be safe. Nothing was sent.";

// The Phone Link path for the normalised number `recipientDigits` (no "+"),
// the To text `name` and the message without carriage returns.
SendResult DrivePhoneLink(PhoneLinkUi& ui, std::wstring_view recipientDigits, std::wstring_view name,
                          std::wstring_view message, bool autoSend);
