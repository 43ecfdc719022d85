// The control identifiers of the Send window, for the window itself and for
// the tests that drive it.
#pragma once

namespace send_id {
inline constexpr int kTo = 42040;
inline constexpr int kForget = 42045;
inline constexpr int kEmail = 42002;
inline constexpr int kMobile = 42003;
inline constexpr int kMessenger = 42041;
inline constexpr int kRemember = 42042;
inline constexpr int kPdf = 42043;
inline constexpr int kNote = 42044;
inline constexpr int kSubject = 42006;
inline constexpr int kMessage = 42007;
inline constexpr int kReset = 42008;
inline constexpr int kMethodFirst = 42060;  // + ShareMethod, 0..7
inline constexpr int kPhoneLink = 42048;
inline constexpr int kMailServer = 42046;
inline constexpr int kSend = 42047;
inline constexpr int kClose = 42030;
inline constexpr int kStatus = 42031;
inline constexpr int kMailLine = 42049;
}  // namespace send_id
