// Decoding of patient files from the machine's ANSI code page.
//
// The viewer writes its files in the ANSI code page, 932 (Shift-JIS) on the
// clinics' machines. The code page is captured once as lookup tables (from
// the platform's converter: MultiByteToWideChar on Windows, iconv "CP932"
// elsewhere); decoding itself is a table walk in linear time.
//
// Bytes that are not a character of the code page decode to U+FFFD:
// - a byte that is neither a character nor a lead byte: one U+FFFD; so
//   does a NUL byte, which no text file holds (a NUL inside a value would
//   cut it short in one database and be refused by another);
// - a lead byte followed by a byte outside the trail range (or by the end
//   of the data): one U+FFFD for the lead byte, and the following byte is
//   decoded on its own, so a line end or comma after it is never lost;
// - a lead byte and a trail byte that form no character: one U+FFFD.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"

namespace tavik {

class AnsiDecoder {
 public:
  // The tables a platform fills in. single[b] is the character of byte b
  // (U+FFFD when b is not one); lead[b] marks lead bytes; pair[lead << 8 |
  // trail] is the character of a two-byte sequence, 0 when there is none.
  struct Tables {
    std::array<char16_t, 256> single{};
    std::array<bool, 256> lead{};
    std::vector<char16_t> pair = std::vector<char16_t>(65536, 0);
  };

  explicit AnsiDecoder(std::unique_ptr<Tables> tables);

  Text Decode(std::string_view bytes) const;

  // The machine's ANSI code page (932 in the portable build), built once.
  static const AnsiDecoder& System();

 private:
  std::unique_ptr<const Tables> tables_;
};

// Platform part: fills the tables for the ANSI code page.
std::unique_ptr<AnsiDecoder::Tables> BuildAnsiTables();

}  // namespace tavik
