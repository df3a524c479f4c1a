// Data strings are parsed for every test shown, printed, exported or searched
// over, and every stored test turns its unit texts back into codes.
#include "instrument/modDataString.h"

#include <benchmark/benchmark.h>

namespace {

std::string SampleString()
{
    const std::string head = "\x1E" "KR 6450" "B12" " " "   400" "/" "   123" "A" "150/50" "A" "    50" ")" "-"
                             " 123.4" "H" " 0.512" " " " " "1";
    return head + DataStringChecksum(head) + "\r\n";
}

void BM_ParseDataString(benchmark::State& state)
{
    const std::string text = SampleString();
    for (auto _ : state)
        benchmark::DoNotOptimize(ParseDataString(text));
}
BENCHMARK(BM_ParseDataString);

void BM_UnitCode(benchmark::State& state)
{
    const QString text = QString::fromUtf8("m³/m²/h");
    for (auto _ : state)
        benchmark::DoNotOptimize(UnitCode(text, 2));
}
BENCHMARK(BM_UnitCode);

void BM_IsValidDataString(benchmark::State& state)
{
    const std::string text = SampleString();
    for (auto _ : state)
        benchmark::DoNotOptimize(IsValidDataString(text));
}
BENCHMARK(BM_IsValidDataString);

} // namespace
