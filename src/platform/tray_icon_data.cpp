#include "platform/tray_icon_data.h"

#include "platform/cp932.h"

namespace pindle::platform {

namespace {

void PutU32(std::array<std::uint8_t, 88>& out, std::size_t offset, std::uint64_t value) {
  for (std::size_t i = 0; i < 4; ++i) out[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t U32At(std::span<const std::uint8_t> bytes, std::size_t offset) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value |= std::uint32_t{bytes[offset + i]} << (8 * i);
  return value;
}

std::intptr_t SignExtended(std::uint32_t value) {
  return static_cast<std::int32_t>(value);
}

}  // namespace

std::optional<NotifyIconData> NotifyIconData::FromBytes(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 88 || U32At(bytes, 0) != 88) return std::nullopt;
  std::string tip;
  for (std::size_t i = 24; i < 24 + kTipLength && bytes[i] != 0; ++i)
    tip.push_back(static_cast<char>(bytes[i]));
  return NotifyIconData{88,
                        static_cast<Hwnd>(SignExtended(U32At(bytes, 4))),
                        static_cast<std::int32_t>(U32At(bytes, 8)),
                        static_cast<std::int32_t>(U32At(bytes, 12)),
                        static_cast<std::int32_t>(U32At(bytes, 16)),
                        SignExtended(U32At(bytes, 20)),
                        DecodeCp932(tip)};
}

std::array<std::uint8_t, 88> NotifyIconData::Bytes() const {
  std::array<std::uint8_t, 88> out{};
  PutU32(out, 0, static_cast<std::uint32_t>(cbSize));
  PutU32(out, 4, hWnd);
  PutU32(out, 8, static_cast<std::uint32_t>(uID));
  PutU32(out, 12, static_cast<std::uint32_t>(uFlags));
  PutU32(out, 16, static_cast<std::uint32_t>(uCallbackMessage));
  PutU32(out, 20, static_cast<std::uint64_t>(hIcon));
  const auto tip = EncodeCp932(szTip);
  for (std::size_t i = 0; i < kTipLength && i < tip.bytes.size(); ++i) {
    out[24 + i] = static_cast<std::uint8_t>(tip.bytes[i]);
  }
  return out;
}

std::u16string FixedTip(std::u16string_view text) {
  std::u16string tip(text);
  tip.push_back(u'\0');
  tip.resize(kTipLength, u' ');
  return tip;
}

}  // namespace pindle::platform
