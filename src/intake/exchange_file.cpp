#include "intake/exchange_file.h"

#include "intake/ansi_decoder.h"

namespace tavik {

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }
bool IsLineEnd(char16_t c) { return c == u'\r' || c == u'\n'; }

// The key prefixes (docs/contracts.md): the characters compared, the 1-based position at which
// the value starts, where it goes, and whether its double quotes go.
struct ItemKey {
  TextView prefix;
  std::size_t value_position;
  Text PatientRecord::*field;  // null for the function code
  bool strip_quotes;
};

constexpr ItemKey kThreeCharacterKeys[] = {
    {u"PNo", 5, &PatientRecord::PNo, false},
    {u"Pno", 5, &PatientRecord::PNo, false},
    {u"Fun", 6, nullptr, false},
    {u"PID", 5, &PatientRecord::PID, true},
};

constexpr ItemKey kFiveCharacterKeys[] = {
    {u"PName", 7, &PatientRecord::PName, false}, {u"PKana", 7, &PatientRecord::PKana, false},
    {u"PBDat", 8, &PatientRecord::PBDat, false}, {u"PSex=", 6, &PatientRecord::PSex, false},
    {u"PZip=", 6, &PatientRecord::PZip, false},  {u"PAddr", 7, &PatientRecord::PAddr, true},
    {u"PTel=", 6, &PatientRecord::PTel, false},  {u"PFax=", 6, &PatientRecord::PFax, false},
    {u"PInf1", 7, &PatientRecord::PInf1, false}, {u"PInf2", 7, &PatientRecord::PInf2, false},
    {u"PInf3", 7, &PatientRecord::PInf3, false}, {u"PInf4", 7, &PatientRecord::PInf4, false},
    {u"PInf5", 7, &PatientRecord::PInf5, false}, {u"PInf6", 7, &PatientRecord::PInf6, false},
    {u"PInf7", 7, &PatientRecord::PInf7, false}, {u"PInf8", 7, &PatientRecord::PInf8, false},
    {u"IName", 7, &PatientRecord::IName, false},
};

// At most one double quote goes at each end: the leading one first, then
// the trailing one of what is left.
TextView StripQuotes(TextView value) {
  if (!value.empty() && value.front() == u'"') value.remove_prefix(1);
  if (!value.empty() && value.back() == u'"') value.remove_suffix(1);
  return value;
}

void AssignValue(const ItemKey& key, TextView item, ExchangeFile& file) {
  TextView value = item.size() >= key.value_position ? item.substr(key.value_position - 1) : TextView{};
  if (key.strip_quotes) value = StripQuotes(value);
  Text& target = key.field != nullptr ? file.record.*key.field : file.function_code;
  target.assign(value);
}

}  // namespace

void ItemReader::SkipDelimiter() {
  if (pos_ >= text_.size()) return;
  const char16_t c = text_[pos_++];
  if (c == u'\r' && pos_ < text_.size() && text_[pos_] == u'\n') ++pos_;
}

TextView ItemReader::Next() {
  const std::size_t n = text_.size();
  while (pos_ < n && IsBlank(text_[pos_])) ++pos_;
  if (pos_ < n && text_[pos_] == u'"') {
    const std::size_t open = pos_ + 1;
    const std::size_t close = text_.find(u'"', open);
    if (close == TextView::npos) {
      pos_ = n;
      return text_.substr(open);
    }
    const TextView item = text_.substr(open, close - open);
    pos_ = close + 1;
    while (pos_ < n && text_[pos_] != u',' && !IsLineEnd(text_[pos_])) ++pos_;
    SkipDelimiter();
    return item;
  }
  const std::size_t start = pos_;
  while (pos_ < n && text_[pos_] != u',' && !IsLineEnd(text_[pos_])) ++pos_;
  std::size_t end = pos_;
  while (end > start && IsBlank(text_[end - 1])) --end;
  SkipDelimiter();
  return text_.substr(start, end - start);
}

void ApplyItem(TextView item, ExchangeFile& file) {
  if (item.size() >= 3) {
    for (const ItemKey& key : kThreeCharacterKeys) {
      if (item.compare(0, 3, key.prefix) == 0) {
        AssignValue(key, item, file);
        return;
      }
    }
  }
  if (item.size() >= 5) {
    for (const ItemKey& key : kFiveCharacterKeys) {
      if (item.compare(0, 5, key.prefix) == 0) {
        AssignValue(key, item, file);
        return;
      }
    }
  }
}

ExchangeFile ParseExchangeText(TextView text) {
  ExchangeFile file;
  ItemReader reader(text);
  while (!reader.AtEnd()) ApplyItem(reader.Next(), file);
  return file;
}

ExchangeFile ParseExchangeBytes(std::string_view bytes) {
  return ParseExchangeText(AnsiDecoder::System().Decode(bytes));
}

}  // namespace tavik
