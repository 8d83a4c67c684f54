#include "patient_file_writer.h"

#include <memory>
#include <vector>

#include "intake/ansi_decoder.h"

namespace tavik::viewer {

namespace {

struct Name {
  TextView kanji;
  TextView kana;  // half-width katakana, as the viewer sends readings
};

constexpr Name kFamilyNames[] = {
    {u"山田", u"ﾔﾏﾀﾞ"},  {u"佐藤", u"ｻﾄｳ"},  {u"鈴木", u"ｽｽﾞｷ"},  {u"高橋", u"ﾀｶﾊｼ"},
    {u"田中", u"ﾀﾅｶ"},   {u"伊藤", u"ｲﾄｳ"},  {u"渡辺", u"ﾜﾀﾅﾍﾞ"}, {u"中村", u"ﾅｶﾑﾗ"},
    {u"小林", u"ｺﾊﾞﾔｼ"}, {u"加藤", u"ｶﾄｳ"},  {u"吉田", u"ﾖｼﾀﾞ"},  {u"斎藤", u"ｻｲﾄｳ"},
    {u"松本", u"ﾏﾂﾓﾄ"},  {u"井上", u"ｲﾉｳｴ"}, {u"木村", u"ｷﾑﾗ"},   {u"長谷川", u"ﾊｾｶﾞﾜ"},
};

constexpr Name kMaleNames[] = {
    {u"太郎", u"ﾀﾛｳ"},   {u"一郎", u"ｲﾁﾛｳ"}, {u"健太", u"ｹﾝﾀ"},  {u"翔太", u"ｼｮｳﾀ"},
    {u"大輔", u"ﾀﾞｲｽｹ"}, {u"誠", u"ﾏｺﾄ"},    {u"浩二", u"ｺｳｼﾞ"}, {u"隆", u"ﾀｶｼ"},
};

constexpr Name kFemaleNames[] = {
    {u"花子", u"ﾊﾅｺ"}, {u"美咲", u"ﾐｻｷ"},   {u"陽子", u"ﾖｳｺ"},   {u"恵子", u"ｹｲｺ"},
    {u"由美", u"ﾕﾐ"},  {u"さくら", u"ｻｸﾗ"}, {u"久美子", u"ｸﾐｺ"}, {u"真由美", u"ﾏﾕﾐ"},
};

struct Place {
  TextView town;
  TextView zip_head;   // first three digits of the postal code
  TextView area_code;  // telephone area code
};

constexpr Place kPlaces[] = {
    {u"東京都新宿区西新宿", u"160", u"03"},
    {u"東京都世田谷区三軒茶屋", u"154", u"03"},
    {u"大阪府大阪市北区梅田", u"530", u"06"},
    {u"愛知県名古屋市中区栄", u"460", u"052"},
    {u"福岡県福岡市博多区博多駅前", u"812", u"092"},
    {u"北海道札幌市中央区北一条西", u"060", u"011"},
    {u"神奈川県横浜市西区みなとみらい", u"220", u"045"},
    {u"京都府京都市左京区下鴨", u"606", u"075"},
    {u"宮城県仙台市青葉区国分町", u"980", u"022"},
    {u"広島県広島市中区紙屋町", u"730", u"082"},
};

constexpr TextView kBuildings[] = {
    u"", u"", u"", u"　ハイツ桜", u"　グリーンコーポ", u"　メゾン・ド・ソレイユ",
};

constexpr TextView kNotes[] = {
    u"", u"", u"", u"糖尿病", u"高血圧症", u"ペニシリンアレルギー", u"要車椅子", u"緑内障　経過観察中",
};

constexpr TextView kInstitutions[] = {
    u"さくら内科クリニック",
    u"みどり眼科医院",
    u"市立中央病院",
};

constexpr TextView kFullWidthDigits = u"０１２３４５６７８９";

template <typename T, std::size_t N>
const T& Pick(PatientGenerator& generator, const T (&list)[N]) {
  return list[generator.Draw(N)];
}

// `value` in decimal, zero-padded to `width` digits.
Text Digits(std::uint64_t value, std::size_t width) {
  Text digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + value % 10));
    value /= 10;
  } while (value != 0);
  if (digits.size() < width) digits.insert(0, width - digits.size(), u'0');
  return digits;
}

Text FullWidth(std::uint64_t value) {
  Text digits = Digits(value, 1);
  for (char16_t& c : digits) c = kFullWidthDigits[static_cast<std::size_t>(c - u'0')];
  return digits;
}

void Line(Text& out, TextView key, TextView value) {
  out += key;
  out += value;
  out += u"\r\n";
}

}  // namespace

PatientGenerator::PatientGenerator(std::uint64_t seed) : state_(seed) {}

std::uint64_t PatientGenerator::Draw(std::uint64_t bound) {
  // splitmix64
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  z ^= z >> 31;
  return z % bound;
}

PatientRecord PatientGenerator::Next(TextView chart_number, std::uint64_t patient_number) {
  PatientRecord r;
  const bool female = Draw(2) == 1;
  const Name& family = Pick(*this, kFamilyNames);
  const Name& given = female ? Pick(*this, kFemaleNames) : Pick(*this, kMaleNames);
  const Place& place = Pick(*this, kPlaces);

  r.PNo = Digits(patient_number, 1);
  r.PID = Text(chart_number);
  r.PName = Text(family.kanji) + u"　" + Text(given.kanji);
  r.PKana = Text(family.kana) + u" " + Text(given.kana);
  r.PBDat = Digits(1930 + Draw(91), 4) + u"/" + Digits(1 + Draw(12), 2) + u"/" + Digits(1 + Draw(28), 2);
  r.PSex = female ? u"女" : u"男";
  r.PZip = Text(place.zip_head) + u"-" + Digits(Draw(10000), 4);
  r.PAddr = Text(place.town) + FullWidth(1 + Draw(9)) + u"丁目" + FullWidth(1 + Draw(30)) + u"番" +
            FullWidth(1 + Draw(20)) + u"号" + Text(Pick(*this, kBuildings));
  const Text local = Digits(Draw(10000), 4);
  r.PTel = Text(place.area_code) + u"-" + Digits(Draw(10000), 4) + u"-" + local;
  if (Draw(3) == 0) r.PFax = Text(place.area_code) + u"-" + Digits(Draw(10000), 4) + u"-" + local;
  r.PInf1 = Text(Pick(*this, kNotes));
  r.IName = Text(Pick(*this, kInstitutions));
  return r;
}

Text ChartNumber(std::uint64_t number, std::size_t width) { return Digits(number, width); }

bool SameRecord(const PatientRecord& a, const PatientRecord& b) {
  using R = PatientRecord;
  for (Text R::*field :
       {&R::PNo, &R::PID, &R::PName, &R::PKana, &R::PBDat, &R::PSex, &R::PZip, &R::PAddr, &R::PTel, &R::PFax, &R::PInf1,
        &R::PInf2, &R::PInf3, &R::PInf4, &R::PInf5, &R::PInf6, &R::PInf7, &R::PInf8, &R::IName}) {
    if (a.*field != b.*field) return false;
  }
  return true;
}

Text PatientFileText(const PatientFile& file) {
  const PatientRecord& r = file.record;
  Text out;
  // The value of "Fun" starts at its 6th character: the viewer writes
  // the key as "Func=".
  if (file.fun) Line(out, u"Func=", *file.fun);
  Line(out, u"PNo=", r.PNo);
  Line(out, u"PID=", u"\"" + r.PID + u"\"");
  Line(out, u"PName=", r.PName);
  Line(out, u"PKana=", r.PKana);
  Line(out, u"PBDate=", r.PBDat);
  Line(out, u"PSex=", r.PSex);
  Line(out, u"PZip=", r.PZip);
  Line(out, u"PAddr=", u"\"" + r.PAddr + u"\"");
  Line(out, u"PTel=", r.PTel);
  Line(out, u"PFax=", r.PFax);
  Line(out, u"PInf1=", r.PInf1);
  Line(out, u"IName=", r.IName);
  return out;
}

std::string PatientFileBytes(const PatientFile& file) { return EncodeAnsi(PatientFileText(file)); }

std::string EncodeAnsi(TextView text) {
  // Character -> byte, or lead << 8 | trail; 0xFFFF for none. Made once
  // from the tables the reader decodes with.
  static const std::vector<std::uint16_t> codes = [] {
    constexpr char16_t kReplacement = 0xFFFD;
    const std::unique_ptr<AnsiDecoder::Tables> tables = BuildAnsiTables();
    std::vector<std::uint16_t> reverse(65536, 0xFFFF);
    // Pairs first, then single bytes, so that a character with both forms
    // is written as its single byte; among duplicates the lowest code wins.
    // A NUL is no character of a patient file.
    for (std::size_t code = tables->pair.size(); code-- > 0;) {
      const char16_t c = tables->pair[code];
      if (c != 0) reverse[c] = static_cast<std::uint16_t>(code);
    }
    for (std::size_t b = tables->single.size(); b-- > 1;) {
      const char16_t c = tables->single[b];
      if (!tables->lead[b] && c != kReplacement) reverse[c] = static_cast<std::uint16_t>(b);
    }
    return reverse;
  }();
  std::string out;
  for (const char16_t c : text) {
    const std::uint16_t code = codes[c];
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

}  // namespace tavik::viewer
