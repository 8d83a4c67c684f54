#include "intake/ansi_decoder.h"

#include <utility>

namespace tavik {

namespace {
constexpr char16_t kReplacement = 0xFFFD;

bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }
}  // namespace

AnsiDecoder::AnsiDecoder(std::unique_ptr<Tables> tables) : reverse_(65536, 0xFFFF) {
  tables->single[0] = kReplacement;
  tables_ = std::move(tables);
  // Pairs first, then single bytes, so that a character with both forms is
  // written as its single byte; among duplicates the lowest code wins.
  for (std::size_t code = tables_->pair.size(); code-- > 0;) {
    const char16_t c = tables_->pair[code];
    if (c != 0) reverse_[c] = static_cast<std::uint16_t>(code);
  }
  for (std::size_t b = tables_->single.size(); b-- > 0;) {
    const char16_t c = tables_->single[b];
    if (!tables_->lead[b] && c != kReplacement) reverse_[c] = static_cast<std::uint16_t>(b);
  }
}

std::string AnsiDecoder::Encode(TextView text) const {
  std::string out;
  for (const char16_t c : text) {
    const std::uint16_t code = reverse_[c];
    if (code == 0xFFFF) {
      out.push_back('?');
    } else if (code > 0xFF) {
      out.push_back(static_cast<char>(code >> 8));
      out.push_back(static_cast<char>(code & 0xFF));
    } else {
      out.push_back(static_cast<char>(code));
    }
  }
  return out;
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
