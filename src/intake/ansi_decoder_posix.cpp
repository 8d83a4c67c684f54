// The portable build reads patient files as code page 932, the code page of
// the clinics' machines, through glibc's iconv.
#include <iconv.h>

#include <cerrno>
#include <stdexcept>

#include "intake/ansi_decoder.h"

namespace tavik {

namespace {

enum class Conversion { Character, Incomplete, Invalid };

Conversion Convert(iconv_t cd, const unsigned char* in, std::size_t len, char16_t& out) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char source[2] = {static_cast<char>(in[0]), len > 1 ? static_cast<char>(in[1]) : '\0'};
  char* src = source;
  std::size_t src_left = len;
  unsigned char target[8];
  char* dst = reinterpret_cast<char*>(target);
  std::size_t dst_left = sizeof target;
  const std::size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
  if (r == static_cast<std::size_t>(-1)) {
    return errno == EINVAL ? Conversion::Incomplete : Conversion::Invalid;
  }
  // Exactly one UTF-16LE code unit, and every input byte consumed.
  if (sizeof target - dst_left != 2 || src_left != 0) return Conversion::Invalid;
  out = static_cast<char16_t>(target[0] | target[1] << 8);
  return Conversion::Character;
}

// The converter, closed however the building ends (an allocation that
// throws included).
class Converter {
 public:
  Converter() : cd_(iconv_open("UTF-16LE", "CP932")) {
    // NOLINTNEXTLINE(performance-no-int-to-ptr): iconv_open's failure value
    if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv has no CP932 converter");
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

}  // namespace

std::unique_ptr<AnsiDecoder::Tables> BuildAnsiTables() {
  const Converter converter;
  iconv_t cd = converter.get();
  auto tables = std::make_unique<AnsiDecoder::Tables>();
  for (unsigned b = 0; b < tables->single.size(); ++b) {
    const unsigned char byte[1] = {static_cast<unsigned char>(b)};
    char16_t c = 0;
    switch (Convert(cd, byte, 1, c)) {
      case Conversion::Character: tables->single[b] = c; break;
      case Conversion::Incomplete:
        tables->lead[b] = true;
        tables->single[b] = 0xFFFD;
        break;
      case Conversion::Invalid: tables->single[b] = 0xFFFD; break;
    }
  }
  for (unsigned lead = 0; lead < tables->lead.size(); ++lead) {
    if (!tables->lead[lead]) continue;
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      const unsigned char pair[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
      char16_t c = 0;
      if (Convert(cd, pair, 2, c) == Conversion::Character) tables->pair[lead << 8 | trail] = c;
    }
  }
  return tables;
}

}  // namespace tavik
