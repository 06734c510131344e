// Speed of the text routines of UTF-8 sources and output, on 64 MiB of
// delimited text held in memory (beyond every cache), beside memcpy of the
// same bytes (the memory's own speed, the yardstick):
//   encoding_bench [google benchmark flags]      (bench/run_encoding.sh)
// The text: lines like gen_csv's (numbers, dates, codes, surnames and cities,
// a Cyrillic word in about every other line), as Windows-1251 and as UTF-8;
// and the same size of plain ASCII.

#include "platform/utf8.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr std::size_t kTextSize = std::size_t{64} << 20;

class Random {
public:
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  unsigned Below(unsigned n) { return static_cast<unsigned>(Next() % n); }

private:
  std::uint64_t state_ = 11;
};

const char* const kWords[] = {
    "\xc8\xe2\xe0\xed\xee\xe2",     // Иванов
    "\xcf\xe5\xf2\xf0\xee\xe2\xe0", // Петрова
    "\xca\xe0\xe7\xe0\xed\xfc",     // Казань
    "\xcc\xee\xf1\xea\xe2\xe0",     // Москва
    "Smith",
    "Orlov",
    "Berlin",
    "Lyon",
};

// About kTextSize bytes of Windows-1251 lines.
const std::string& Cp1251Text() {
  static const std::string text = [] {
    std::string out;
    out.reserve(kTextSize + 256);
    Random random;
    char line[160];
    for (std::uint64_t id = 0; out.size() < kTextSize; ++id) {
      const int n = std::snprintf(
          line, sizeof line, "%llu,20%02u-%02u-%02u,%c%c-%04u,%s,%u.%02u,%u,ok,%s,%u\r\n",
          static_cast<unsigned long long>(1000000 + id), 10 + random.Below(15),
          1 + random.Below(12), 1 + random.Below(28), 'A' + random.Below(26),
          'A' + random.Below(26), random.Below(10000), kWords[random.Below(8)],
          random.Below(100000), random.Below(100), random.Below(1000), kWords[random.Below(8)],
          random.Below(10));
      out.append(line, static_cast<std::size_t>(n));
    }
    return out;
  }();
  return text;
}

const std::string& Utf8Text() {
  static const std::string text = [] {
    const std::string& source = Cp1251Text();
    std::string out(platform::MaxCp1251AsUtf8(source.size()), '\0');
    out.resize(static_cast<std::size_t>(platform::Cp1251ToUtf8(source, out.data()) - out.data()));
    return out;
  }();
  return text;
}

const std::string& AsciiText() {
  static const std::string text = [] {
    std::string out = Cp1251Text();
    for (char& ch : out) {
      if (static_cast<unsigned char>(ch) >= 0x80)
        ch = 'x';
    }
    return out;
  }();
  return text;
}

void Memcpy(benchmark::State& state) {
  const std::string& text = Utf8Text();
  std::string out(text.size(), '\0');
  for (auto _ : state) {
    std::memcpy(out.data(), text.data(), text.size());
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void Scan(benchmark::State& state, const std::string& text) {
  for (auto _ : state) {
    const platform::Utf8Scan scan = platform::ScanUtf8(text);
    benchmark::DoNotOptimize(scan);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void ScanUtf8Ascii(benchmark::State& state) {
  Scan(state, AsciiText());
}

void ScanUtf8Csv(benchmark::State& state) {
  Scan(state, Utf8Text());
}

void Cp1251ToUtf8Csv(benchmark::State& state) {
  const std::string& text = Cp1251Text();
  std::string out(platform::MaxCp1251AsUtf8(text.size()), '\0');
  for (auto _ : state) {
    benchmark::DoNotOptimize(platform::Cp1251ToUtf8(text, out.data()));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void Utf8ToCp1251Csv(benchmark::State& state) {
  const std::string& text = Utf8Text();
  std::string out(text.size(), '\0');
  std::int64_t replaced = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(platform::Utf8ToCp1251(text, out.data(), replaced));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

} // namespace

BENCHMARK(Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(ScanUtf8Ascii)->Unit(benchmark::kMillisecond);
BENCHMARK(ScanUtf8Csv)->Unit(benchmark::kMillisecond);
BENCHMARK(Cp1251ToUtf8Csv)->Unit(benchmark::kMillisecond);
BENCHMARK(Utf8ToCp1251Csv)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
