// libFuzzer target: the patient file reader on arbitrary bytes.
//
// Besides what the sanitizers catch, it checks what must hold for every
// input:
//  - decoding gives at most one character per byte and at least one per two
//    bytes, and the same characters every time;
//  - the characters encode back to bytes that decode to them again (with
//    U+FFFD, which the code page lacks, coming back as "?");
//  - ParseExchangeBytes is deterministic and agrees with ParseExchangeText
//    on the decoded text and with driving ItemReader and ApplyItem by hand;
//  - every item lies inside the text; a quoted item holds no double quote;
//    an unquoted one holds no comma or line end and neither starts nor ends
//    with a blank; the reader ends after at most one item per character;
//  - every value the record or the function code holds is a piece of the
//    text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "intake/ansi_decoder.h"
#include "intake/exchange_file.h"
#include "patient_file_writer.h"

namespace {

using tavik::ExchangeFile;
using tavik::Text;
using tavik::TextView;

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

bool Same(const ExchangeFile& a, const ExchangeFile& b) {
  return tavik::viewer::SameRecord(a.record, b.record) && a.function_code == b.function_code;
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

void CheckItem(TextView text, TextView item) {
  const char16_t* begin = text.data();
  const char16_t* end = text.data() + text.size();
  Check(item.data() >= begin && item.data() + item.size() <= end, "item outside the text");
  const bool quoted = item.data() > begin && item.data()[-1] == u'"';
  if (quoted) {
    Check(item.find(u'"') == TextView::npos, "quoted item holds a double quote");
    return;
  }
  Check(item.find_first_of(u",\r\n") == TextView::npos, "unquoted item holds a comma or line end");
  Check(item.empty() || (!IsBlank(item.front()) && !IsBlank(item.back())), "unquoted item starts or ends with a blank");
}

void CheckPiece(TextView text, const Text& value) {
  Check(value.empty() || text.find(value) != TextView::npos, "a value that is not in the text");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const tavik::AnsiDecoder& decoder = tavik::AnsiDecoder::System();

  const Text text = decoder.Decode(bytes);
  Check(text.size() <= bytes.size(), "more characters than bytes");
  Check(2 * text.size() >= bytes.size(), "fewer characters than half the bytes");
  Check(decoder.Decode(bytes) == text, "decoding is not deterministic");

  Text expected = text;
  for (char16_t& c : expected) {
    if (c == 0xFFFD) c = u'?';
  }
  Check(decoder.Decode(tavik::viewer::EncodeAnsi(text)) == expected, "characters do not survive encoding");

  const ExchangeFile parsed = tavik::ParseExchangeBytes(bytes);
  Check(Same(parsed, tavik::ParseExchangeBytes(bytes)), "parsing is not deterministic");
  Check(Same(parsed, tavik::ParseExchangeText(text)), "bytes and decoded text parse differently");

  ExchangeFile by_hand;
  tavik::ItemReader reader(text);
  std::size_t items = 0;
  while (!reader.AtEnd()) {
    const TextView item = reader.Next();
    Check(++items <= text.size(), "more items than characters");
    CheckItem(text, item);
    tavik::ApplyItem(item, by_hand);
  }
  Check(Same(parsed, by_hand), "ItemReader and ApplyItem by hand differ from ParseExchangeText");

  const tavik::PatientRecord& r = parsed.record;
  for (const Text* value : {&r.PNo,   &r.PID,   &r.PName, &r.PKana, &r.PBDat,
                            &r.PSex,  &r.PZip,  &r.PAddr, &r.PTel,  &r.PFax,
                            &r.PInf1, &r.PInf2, &r.PInf3, &r.PInf4, &r.PInf5,
                            &r.PInf6, &r.PInf7, &r.PInf8, &r.IName, &parsed.function_code}) {
    CheckPiece(text, *value);
  }
  return 0;
}
