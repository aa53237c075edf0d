// Code page 932 single-character lookups through iconv, for every build except Windows.
// glibc's "CP932" converter follows Microsoft's table for decoding.  Its encoder is lenient;
// cp932.cpp reads every answer back before using it.
#include <iconv.h>

#include <cstddef>

#include "platform/cp932_unit.h"

namespace pindle::platform::detail {
namespace {

const iconv_t kInvalidDescriptor = reinterpret_cast<iconv_t>(-1);

// The wide side of the conversion is UTF-32LE, assembled and taken apart byte by byte so the
// host's byte order does not matter.
constexpr const char* kWide = "UTF-32LE";
constexpr const char* kCp932 = "CP932";

class IconvDescriptor {
 public:
  IconvDescriptor(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~IconvDescriptor() {
    if (valid()) iconv_close(cd_);
  }
  IconvDescriptor(const IconvDescriptor&) = delete;
  IconvDescriptor& operator=(const IconvDescriptor&) = delete;

  bool valid() const { return cd_ != kInvalidDescriptor; }

  // Converts all of `in` into `out`.  Returns the number of bytes written, or nothing when
  // iconv stops early, reports an error or counts a conversion as irreversible.  The shift
  // state is reset first, so an earlier call that stopped halfway cannot leak into this one.
  std::optional<std::size_t> Convert(const char* in, std::size_t inSize, char* out,
                                     std::size_t outSize) const {
    if (!valid()) return std::nullopt;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    // iconv's input pointer is not const-qualified on glibc; it never writes through it.
    char* inPtr = const_cast<char*>(in);
    std::size_t inLeft = inSize;
    char* outPtr = out;
    std::size_t outLeft = outSize;
    const std::size_t result = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
    // (size_t)-1 is an error; any other non-zero count is a number of irreversible conversions.
    if (result != 0 || inLeft != 0) return std::nullopt;
    return outSize - outLeft;
  }

 private:
  iconv_t cd_;
};

// Both descriptors stay open for the life of the process.
struct Cp932Descriptors {
  IconvDescriptor decoder{kWide, kCp932};
  IconvDescriptor encoder{kCp932, kWide};
};

const Cp932Descriptors& Descriptors() {
  static const Cp932Descriptors descriptors;
  return descriptors;
}

}  // namespace

std::optional<char32_t> DecodeCp932Unit(std::string_view unit) {
  if (unit.empty() || unit.size() > 2) return std::nullopt;
  char wide[8];
  const std::optional<std::size_t> written =
      Descriptors().decoder.Convert(unit.data(), unit.size(), wide, sizeof wide);
  if (written != 4) return std::nullopt;
  char32_t c = 0;
  for (int i = 3; i >= 0; --i) c = (c << 8) | static_cast<unsigned char>(wide[i]);
  return c;
}

std::optional<std::string> EncodeCp932CodePoint(char32_t codePoint) {
  char wide[4];
  for (int i = 0; i < 4; ++i) wide[i] = static_cast<char>((codePoint >> (8 * i)) & 0xFF);
  char bytes[8];
  const std::optional<std::size_t> written =
      Descriptors().encoder.Convert(wide, sizeof wide, bytes, sizeof bytes);
  // glibc reports success with no output for the tag characters U+E0000-U+E007F.
  if (!written || *written == 0) return std::nullopt;
  return std::string(bytes, *written);
}

}  // namespace pindle::platform::detail
