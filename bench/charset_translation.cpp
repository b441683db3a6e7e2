// Received text on its way to the cells: runs of code-page bytes through the byte tables, against
// one conversion call per byte; UTF-8 text decoded whole and character by character.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "console/code_pages.h"
#include "emulation/text/charsets.h"
#include "emulation/text/utf8.h"

namespace {

std::vector<uint8_t> PrintableRun(size_t n) {
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(0xA0 + (i * 7) % 0x60);
    return bytes;
}

void RunThroughTable(benchmark::State& state) {
    const auto bytes = PrintableRun(static_cast<size_t>(state.range(0)));
    std::vector<char16_t> cells(bytes.size());
    for (auto _ : state) {
        benchmark::DoNotOptimize(platform::RunToWide(1252, bytes.data(), bytes.size(),
                                                     platform::kPrecomposed, cells.data()));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(bytes.size()));
}
BENCHMARK(RunThroughTable)->Arg(80)->Arg(4096);

void RunByteByByte(benchmark::State& state) {
    const auto bytes = PrintableRun(static_cast<size_t>(state.range(0)));
    std::vector<char16_t> cells(bytes.size());
    platform::CodePages& service = platform::CurrentCodePages();
    for (auto _ : state) {
        for (size_t i = 0; i < bytes.size(); ++i)
            service.ToWide(1252, &bytes[i], 1, platform::kPrecomposed, &cells[i], 1);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(bytes.size()));
}
BENCHMARK(RunByteByByte)->Arg(80)->Arg(4096);

std::string Utf8Text() {
    std::string text;
    for (int i = 0; i < 200; ++i)
        text +=
            "Gr\xC3\xBC\xC3\x9F"
            "e, \xE2\x82\xAC 12 \xD0\x96\xD0\xB8 ";
    return text;
}

void Utf8Whole(benchmark::State& state) {
    const std::string text = Utf8Text();
    for (auto _ : state) benchmark::DoNotOptimize(emulation::Utf8ToWide(text));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.size()));
}
BENCHMARK(Utf8Whole);

void Utf8CharacterByCharacter(benchmark::State& state) {
    const std::string text = Utf8Text();
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    for (auto _ : state) {
        size_t i = 0;
        while (i < text.size()) {
            char16_t ch = 0;
            size_t used = 1;
            const size_t n = std::min<size_t>(emulation::Utf8SeqLength(bytes[i]), text.size() - i);
            emulation::HostToUnicode({bytes + i, n}, emulation::kCharsetUtf8, ch, &used);
            benchmark::DoNotOptimize(ch);
            i += used;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.size()));
}
BENCHMARK(Utf8CharacterByCharacter);

}  // namespace
