// Throughput of the patient file reader over a mix of patient files as the
// viewer writes them (generated in memory, code page 932, CRLF):
//
//   ParseExchangeBytes  decoding and parsing, file by file (the intake's path)
//   Decode              decoding alone (AnsiDecoder::System().Decode)
//   ParseExchangeText   parsing alone, of text decoded beforehand
//   ParseExchangeBytes/one_large_file  all files as one buffer: no per-file costs
//
// bytes_per_second counts the bytes of the files in every case.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "intake/ansi_decoder.h"
#include "intake/exchange_file.h"
#include "patient_file_writer.h"

namespace {

using tavik::Text;

constexpr std::size_t kFiles = 4096;

struct Corpus {
  std::vector<std::string> bytes;
  std::vector<Text> texts;
  std::string joined;
  std::int64_t total_bytes = 0;
};

// Mostly "REGIST"; some files with another code or none, as the viewer sends.
tavik::viewer::PatientFile MakeFile(tavik::viewer::PatientGenerator& generator, std::uint64_t i) {
  tavik::viewer::PatientFile file;
  file.record = generator.Next(tavik::viewer::ChartNumber(100001 + i, 6), i + 1);
  switch (generator.Draw(20)) {
    case 0: file.fun = Text(u"REFER"); break;
    case 1: file.fun.reset(); break;
    default: break;
  }
  return file;
}

const Corpus& Files() {
  static const Corpus corpus = [] {
    Corpus c;
    tavik::viewer::PatientGenerator generator(20240601);
    for (std::uint64_t i = 0; i < kFiles; ++i) {
      const tavik::viewer::PatientFile file = MakeFile(generator, i);
      std::string bytes = tavik::viewer::PatientFileBytes(file);
      // The reader must give back what was written; a benchmark of a reader
      // that misreads the files would measure nothing useful.
      const tavik::ExchangeFile parsed = tavik::ParseExchangeBytes(bytes);
      if (!tavik::viewer::SameRecord(parsed.record, file.record) || parsed.function_code != file.fun.value_or(Text())) {
        std::cerr << "exchange_reader_bench: file " << i << " does not read back as written\n";
        std::exit(1);
      }
      c.total_bytes += static_cast<std::int64_t>(bytes.size());
      c.texts.push_back(tavik::AnsiDecoder::System().Decode(bytes));
      c.joined += bytes;
      c.bytes.push_back(std::move(bytes));
    }
    return c;
  }();
  return corpus;
}

void ReportPerPass(benchmark::State& state, const Corpus& c) {
  state.SetBytesProcessed(state.iterations() * c.total_bytes);
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(c.bytes.size()));
  state.counters["bytes_per_file"] = static_cast<double>(c.total_bytes) / static_cast<double>(c.bytes.size());
}

// One iteration: every file of the mix, each decoded and parsed on its own.
void BM_ParseExchangeBytes(benchmark::State& state) {
  const Corpus& c = Files();
  for (auto _ : state) {
    for (const std::string& bytes : c.bytes) {
      tavik::ExchangeFile file = tavik::ParseExchangeBytes(bytes);
      benchmark::DoNotOptimize(file);
    }
  }
  ReportPerPass(state, c);
}
BENCHMARK(BM_ParseExchangeBytes)->Name("ParseExchangeBytes")->Unit(benchmark::kMicrosecond);

void BM_Decode(benchmark::State& state) {
  const Corpus& c = Files();
  const tavik::AnsiDecoder& decoder = tavik::AnsiDecoder::System();
  for (auto _ : state) {
    for (const std::string& bytes : c.bytes) {
      Text text = decoder.Decode(bytes);
      benchmark::DoNotOptimize(text);
    }
  }
  ReportPerPass(state, c);
}
BENCHMARK(BM_Decode)->Name("Decode")->Unit(benchmark::kMicrosecond);

void BM_ParseExchangeText(benchmark::State& state) {
  const Corpus& c = Files();
  for (auto _ : state) {
    for (const Text& text : c.texts) {
      tavik::ExchangeFile file = tavik::ParseExchangeText(text);
      benchmark::DoNotOptimize(file);
    }
  }
  ReportPerPass(state, c);
}
BENCHMARK(BM_ParseExchangeText)->Name("ParseExchangeText")->Unit(benchmark::kMicrosecond);

void BM_ParseOneLargeFile(benchmark::State& state) {
  const Corpus& c = Files();
  for (auto _ : state) {
    tavik::ExchangeFile file = tavik::ParseExchangeBytes(c.joined);
    benchmark::DoNotOptimize(file);
  }
  ReportPerPass(state, c);
}
BENCHMARK(BM_ParseOneLargeFile)->Name("ParseExchangeBytes/one_large_file")->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
