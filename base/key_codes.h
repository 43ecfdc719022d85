// Keyboard keys as platform-neutral code names them: the values of the
// Windows virtual-key codes (the Windows code that uses them checks that they
// match). Letters and digits are their own characters ('O', '0').
#pragma once

inline constexpr int kKeyEscape = 0x1B;
inline constexpr int kKeySpace = 0x20;
inline constexpr int kKeyPageUp = 0x21;
inline constexpr int kKeyPageDown = 0x22;
inline constexpr int kKeyEnd = 0x23;
inline constexpr int kKeyHome = 0x24;
inline constexpr int kKeyLeft = 0x25;
inline constexpr int kKeyUp = 0x26;
inline constexpr int kKeyRight = 0x27;
inline constexpr int kKeyDown = 0x28;
inline constexpr int kKeyDelete = 0x2E;
inline constexpr int kKeyNumpad0 = 0x60;
inline constexpr int kKeyNumpad1 = 0x61;
inline constexpr int kKeyNumpad2 = 0x62;
inline constexpr int kKeyAdd = 0x6B;
inline constexpr int kKeySubtract = 0x6D;
inline constexpr int kKeyF1 = 0x70;
inline constexpr int kKeyF3 = 0x72;
inline constexpr int kKeyF4 = 0x73;
inline constexpr int kKeyOemPlus = 0xBB;
inline constexpr int kKeyOemMinus = 0xBD;
