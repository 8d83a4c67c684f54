#include "intake/ansi_decoder.h"

#include <utility>

namespace tavik {

namespace {
constexpr char16_t kReplacement = 0xFFFD;

bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }
}  // namespace

AnsiDecoder::AnsiDecoder(std::unique_ptr<Tables> tables) {
  tables->single[0] = kReplacement;
  tables_ = std::move(tables);
}

Text AnsiDecoder::Decode(std::string_view bytes) const {
  const Tables& t = *tables_;
  Text out;
  out.resize(bytes.size());
  std::size_t o = 0;
  const std::size_t n = bytes.size();
  std::size_t i = 0;
  while (i < n) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (!t.lead[b]) {
      out[o++] = t.single[b];
      ++i;
      continue;
    }
    if (i + 1 < n && IsTrailByte(static_cast<unsigned char>(bytes[i + 1]))) {
      const auto trail = static_cast<unsigned char>(bytes[i + 1]);
      const char16_t c = t.pair[static_cast<std::size_t>(b) << 8 | trail];
      out[o++] = c != 0 ? c : kReplacement;
      i += 2;
    } else {
      out[o++] = kReplacement;
      ++i;
    }
  }
  out.resize(o);
  return out;
}

const AnsiDecoder& AnsiDecoder::System() {
  static const AnsiDecoder decoder(BuildAnsiTables());
  return decoder;
}

}  // namespace tavik
