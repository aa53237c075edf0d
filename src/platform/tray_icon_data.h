// The tray-icon record, filled once when the host window loads and passed to the shell to add
// the icon and again to remove it.  The shell receives it in the 88-byte form of
// NOTIFYICONDATA that ends with a 64-byte tip; each backend reads those bytes back here (the
// Windows backend then fills the system's own layout for its word size).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/os_api.h"

namespace pindle::platform {

inline constexpr std::uint32_t kNifMessage = 1;
inline constexpr std::uint32_t kNifIcon = 2;
inline constexpr std::uint32_t kNifTip = 4;
inline constexpr std::size_t kTipLength = 64;

struct NotifyIconData {
  std::int32_t cbSize = 0;
  Hwnd hWnd = 0;
  std::int32_t uID = 0;
  std::int32_t uFlags = 0;
  std::int32_t uCallbackMessage = 0;
  std::intptr_t hIcon = 0;
  std::u16string szTip;  // exactly 64 characters

  // The 88 little-endian bytes handed to the shell: handles as their low 32 bits, the tip in
  // code page 932, cut or padded with NULs to 64 bytes.
  std::array<std::uint8_t, 88> Bytes() const;
  // The record the bytes hold, as the shell reads it: handles from their low 32 bits,
  // sign-extended, the tip up to its NUL.  Nothing when they are not the 88-byte form.
  static std::optional<NotifyIconData> FromBytes(std::span<const std::uint8_t> bytes);
};

// text, one NUL, then blanks up to 64 characters.
std::u16string FixedTip(std::u16string_view text);

}  // namespace pindle::platform
