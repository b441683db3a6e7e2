// The recogniser on the sequences a busy full-screen host sends, with the
// per-family candidate lists and with the plain scan of the table.

#include "emulation/parser/recogniser.h"

#include <benchmark/benchmark.h>

#include <string_view>

#include "emulation/types/term_types.h"

namespace {

using namespace emulation;

constexpr std::string_view kVtSequences[] = {
    "\x1b[12;40H",
    "\x1b[0;1;7m",
    "\x1b[K",
    "\x1b[?25l",
    "\x1b[?25h",
    "\x1b[2J",
    "\x1b[38;5;200m",
    "\x1b[m",
    "\x1b[5A",
    "\x1b(B",
    "\x1b"
    "7",
    "\x1b"
    "8",
    "\x1bM",
    "\x1b[1;24r",
};
constexpr std::string_view kWyseSequences[] = {
    "\x1b=(8",
    "\x1bG4",
    "\x1bT",
    "\x1b"
    "a12R40C",
    "\x1b)",
    "\x1b(",
    "\x1b*",
    "\x1b"
    "c@1A",
};

template <size_t N>
void Run(benchmark::State& state, const char* type, const std::string_view (&sequences)[N],
         bool reference) {
    ResetEmulatorState();
    SetTerminalType(type, false);
    TermOp op = 0;
    TermOpParams params{};
    size_t count = 0;
    for (auto _ : state) {
        for (std::string_view text : sequences) {
            SeqBuffer.clear();
            for (char c : text) SeqBuffer.push_back(static_cast<uint8_t>(c));
            const RecogniseStatus status = reference ? ReferenceDecodeHostSequence(op, params)
                                                     : DecodeHostSequence(op, params);
            benchmark::DoNotOptimize(status);
            benchmark::DoNotOptimize(params);
        }
        count += N;
    }
    state.SetItemsProcessed(static_cast<int64_t>(count));
}

void BM_Vt220Indexed(benchmark::State& s) {
    Run(s, "VT220", kVtSequences, false);
}
void BM_Vt220Reference(benchmark::State& s) {
    Run(s, "VT220", kVtSequences, true);
}
void BM_Wyse60Indexed(benchmark::State& s) {
    Run(s, "WYSE60", kWyseSequences, false);
}
void BM_Wyse60Reference(benchmark::State& s) {
    Run(s, "WYSE60", kWyseSequences, true);
}

BENCHMARK(BM_Vt220Indexed);
BENCHMARK(BM_Vt220Reference);
BENCHMARK(BM_Wyse60Indexed);
BENCHMARK(BM_Wyse60Reference);

}  // namespace
