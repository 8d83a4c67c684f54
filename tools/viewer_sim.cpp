// viewer_sim: writes patient files into an exchange folder the way the
// viewer does, for trying the intake by hand and for scripted runs.
//
//   viewer_sim --dir DIR [--count N] [--first CHART] [--ext fmr|req]
//              [--fun REGIST|NONE|CODE] [--seed S] [--slow MS]
//
// Each file is named after its chart number ("100001.fmr"; "100001_2.fmr"
// and so on when the name is taken). By default a file is written under a
// temporary name ("~tmp0.tmp", which no "*.fmr" listing matches) and then
// renamed into place, so a reader never sees it half written. With --slow
// the file is written under its final name line by line, kept open and
// flushed, with MS milliseconds between the lines: a viewer still writing.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include "intake/ansi_decoder.h"
#include "patient_file_writer.h"

namespace fs = std::filesystem;
using tavik::Text;
using tavik::TextView;

namespace {

struct Options {
  fs::path dir;
  std::uint64_t count = 1;
  std::string first = "100001";
  std::string ext = "fmr";
  std::optional<Text> fun{Text(tavik::viewer::kFunRegist)};
  std::uint64_t seed = 1;
  std::optional<std::uint64_t> slow_ms;
};

constexpr const char* kUsage =
    "usage: viewer_sim --dir DIR [--count N] [--first CHART] [--ext fmr|req]\n"
    "                  [--fun REGIST|NONE|CODE] [--seed S] [--slow MS]\n"
    "  --dir DIR      exchange folder to write into (must exist)\n"
    "  --count N      number of patient files (default 1)\n"
    "  --first CHART  chart number of the first file, digits; the next files\n"
    "                 count up, keeping the width (default 100001)\n"
    "  --ext EXT      fmr (default) or req\n"
    "  --fun CODE     function code: REGIST (default), NONE for no Fun line,\n"
    "                 or any other code (OTHER, ...)\n"
    "  --seed S       seed of the names and addresses (default 1)\n"
    "  --slow MS      write under the final name, line by line, MS ms apart\n";

// The platform's console text: UTF-8 here, the ANSI code page on Windows.
std::string Console(TextView text) {
#ifdef _WIN32
  return tavik::viewer::EncodeAnsi(text);
#else
  return tavik::ToUtf8(text);
#endif
}

bool ParseNumber(const std::string& text, std::uint64_t& value) {
  if (text.empty() || text.size() > 18) return false;
  std::uint64_t v = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<std::uint64_t>(c - '0');
  }
  value = v;
  return true;
}

std::optional<Options> ParseOptions(int argc, char** argv) {
  Options o;
  bool have_dir = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") return std::nullopt;
    if (i + 1 >= argc) {
      std::cerr << "viewer_sim: " << arg << " needs a value\n";
      return std::nullopt;
    }
    const std::string value = argv[++i];
    std::uint64_t number = 0;
    if (arg == "--dir") {
      o.dir = fs::path(value);
      have_dir = true;
    } else if (arg == "--count" && ParseNumber(value, number)) {
      o.count = number;
    } else if (arg == "--first" && ParseNumber(value, number)) {
      o.first = value;
    } else if (arg == "--ext" && (value == "fmr" || value == "req")) {
      o.ext = value;
    } else if (arg == "--fun" && !value.empty()) {
      if (value == "NONE") {
        o.fun.reset();
      } else {
        o.fun = tavik::FromUtf8(value);
      }
    } else if (arg == "--seed" && ParseNumber(value, number)) {
      o.seed = number;
    } else if (arg == "--slow" && ParseNumber(value, number)) {
      o.slow_ms = number;
    } else {
      std::cerr << "viewer_sim: bad option " << arg << " " << value << "\n";
      return std::nullopt;
    }
  }
  if (!have_dir) {
    std::cerr << "viewer_sim: --dir is required\n";
    return std::nullopt;
  }
  return o;
}

bool Exists(const fs::path& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

// "<chart>.<ext>", or "<chart>_2.<ext>" and so on when that name is taken.
fs::path FreeName(const fs::path& dir, const std::string& chart, const std::string& ext) {
  fs::path path = dir / (chart + "." + ext);
  for (int n = 2; Exists(path); ++n) path = dir / (chart + "_" + std::to_string(n) + "." + ext);
  return path;
}

bool WriteAtOnce(const fs::path& dir, const fs::path& target, const std::string& bytes) {
  fs::path temporary;
  for (int n = 0; temporary.empty() || Exists(temporary); ++n) {
    temporary = dir / ("~tmp" + std::to_string(n) + ".tmp");
  }
  {
    std::ofstream out(temporary, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) return false;
  }
  std::error_code ec;
  fs::rename(temporary, target, ec);
  if (ec) fs::remove(temporary, ec);
  return !Exists(temporary) && Exists(target);
}

bool WriteSlowly(const fs::path& target, const std::string& bytes, std::uint64_t pause_ms) {
  std::ofstream out(target, std::ios::binary);
  std::size_t start = 0;
  while (out && start < bytes.size()) {
    const std::size_t line_end = bytes.find('\n', start);
    const std::size_t end = line_end == std::string::npos ? bytes.size() : line_end + 1;
    out.write(bytes.data() + start, static_cast<std::streamsize>(end - start));
    out.flush();
    start = end;
    if (start < bytes.size()) std::this_thread::sleep_for(std::chrono::milliseconds(pause_ms));
  }
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<Options> options = ParseOptions(argc, argv);
  if (!options) {
    std::cerr << kUsage;
    return 2;
  }
  const Options& o = *options;
  if (!fs::is_directory(o.dir)) {
    std::cerr << "viewer_sim: no such folder: " << o.dir.string() << "\n";
    return 1;
  }

  std::uint64_t first = 0;
  ParseNumber(o.first, first);
  tavik::viewer::PatientGenerator generator(o.seed);
  for (std::uint64_t i = 0; i < o.count; ++i) {
    tavik::viewer::PatientFile file;
    file.fun = o.fun;
    const Text chart = tavik::viewer::ChartNumber(first + i, o.first.size());
    file.record = generator.Next(chart, i + 1);
    const std::string bytes = tavik::viewer::PatientFileBytes(file);
    const fs::path target = FreeName(o.dir, tavik::ToUtf8(chart), o.ext);

    const bool ok = o.slow_ms ? WriteSlowly(target, bytes, *o.slow_ms) : WriteAtOnce(o.dir, target, bytes);
    if (!ok) {
      std::cerr << "viewer_sim: cannot write " << target.string() << "\n";
      return 1;
    }
    // The file's first lines as it holds them: the function code (when it
    // has one), the patient number, the chart number, the name.
    const Text text = tavik::viewer::PatientFileText(file);
    Text summary;
    std::size_t line_start = 0;
    for (int line = 0; line < 4 && line_start < text.size(); ++line) {
      const std::size_t line_end = text.find(u"\r\n", line_start);
      summary += (line > 0 ? u" " : u"") + text.substr(line_start, line_end - line_start);
      line_start = line_end + 2;
    }
    std::cout << "wrote " << target.string() << " (" << bytes.size() << " bytes): " << Console(summary) << "\n";
  }
  return 0;
}
