// FormatValue and ParseValue per call, each beside the bare C library call it
// wraps, on the same inputs. Every benchmark walks the whole input list once
// per iteration, so items_per_second is calls per second.
//
// The inputs are not passed through benchmark::DoNotOptimize: with g++ 12 its
// "+m,r" constraint on a double hands the callee a zero. The calls are opaque
// (another file, the C library), so nothing folds them; the results go to
// volatile sinks.
#include "NumberText.h"
#include "ProjectState.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>

namespace
{

// What the boxes show in practice: everyday magnitudes with and without
// hundredths, negative values, values that round to "-0" or "0", and large
// ones that take the exponent form.
const double NUMBERS[] = {
    0.125,           3.14159, 2.5,           100,     42.42,       1013.25,    273.15,
    65535,           0.5,     57.3,          -0.125,  -12345.678,  -7.999,     -40,
    -0.004,          -1e-300, 0.004,         -0.0049, 1234567.891, 99999999.4, 123456789,
    -123456789012.0, 1e20,    6.02214076e23, -1.5e-7, 1e300,       0.0001234,  -987654.3,
};

// What the boxes hold when they are read: the texts the program writes, and
// what a user types (spaces, trailing letters, the d exponent, nothing).
const char* const TEXTS[] = {
    "0.13",
    "3.14",
    "2.5",
    "100",
    "42.42",
    "1013.25",
    "273.15",
    "65535",
    "-0.13",
    "-12345.68",
    "-8",
    "-0",
    "0",
    "1234567.9",
    "99999999",
    "1.2345679e+08",
    "-1.2345679e+11",
    "1e+20",
    "6.0221408e+23",
    "  7.5",
    "12abc",
    "1d3",
    "-.5",
    "",
    "abc",
    "1e",
    "0x10",
    "-987654.3",
};

constexpr std::size_t NUMBER_COUNT = std::size(NUMBERS);
constexpr std::size_t TEXT_COUNT = std::size(TEXTS);

volatile char textSink;
volatile double numberSink;

void BM_FormatValue(benchmark::State& state)
{
    char out[TEXT_SIZE];
    for (auto _ : state)
    {
        for (double x : NUMBERS)
        {
            FormatValue(out, x);
            textSink = out[0];
        }
    }
    state.SetItemsProcessed(state.iterations() * NUMBER_COUNT);
}

void BM_Snprintf(benchmark::State& state)
{
    char out[TEXT_SIZE];
    for (auto _ : state)
    {
        for (double x : NUMBERS)
        {
            std::snprintf(out, TEXT_SIZE, "%.8g", x);
            textSink = out[0];
        }
    }
    state.SetItemsProcessed(state.iterations() * NUMBER_COUNT);
}

void BM_ParseValue(benchmark::State& state)
{
    for (auto _ : state)
    {
        for (const char* text : TEXTS)
        {
            numberSink = ParseValue(text);
        }
    }
    state.SetItemsProcessed(state.iterations() * TEXT_COUNT);
}

void BM_Strtod(benchmark::State& state)
{
    for (auto _ : state)
    {
        for (const char* text : TEXTS)
        {
            numberSink = std::strtod(text, nullptr);
        }
    }
    state.SetItemsProcessed(state.iterations() * TEXT_COUNT);
}

} // namespace

BENCHMARK(BM_FormatValue);
BENCHMARK(BM_Snprintf);
BENCHMARK(BM_ParseValue);
BENCHMARK(BM_Strtod);

BENCHMARK_MAIN();
