// Chart drawing speed: a curve view draws about 1500 short segments and a
// profile up to 100 thick points into a picture, one surface call each.
#include "platform/DrawingSurface.h"

#include <benchmark/benchmark.h>
#include <cmath>

static void BM_CurveSegmentsOnPicture(benchmark::State& state)
{
    DrawingSurface surface(400, 300);
    surface.Scale(0, 300, 500, 0);
    for (auto _ : state) {
        surface.Cls();
        for (int i = 1; i <= 500; ++i) {
            const double a = 150 + 100 * std::sin(i / 40.0);
            const double b = 150 + 100 * std::sin((i - 1) / 40.0);
            surface.Line(i - 1, b, i, a, vbBlue);
            surface.Line(i - 1, b / 2, i, a / 2, vbBlack);
            surface.Line(i - 1, b / 3, i, a / 3, vbRed);
        }
    }
    state.SetItemsProcessed(state.iterations() * 1500);
}
BENCHMARK(BM_CurveSegmentsOnPicture);

static void BM_ProfilePointsOnPicture(benchmark::State& state)
{
    DrawingSurface surface(300, 150);
    surface.Scale(0, 20, 101, 0);
    for (auto _ : state) {
        surface.Cls();
        surface.SetDrawWidth(3);
        for (int i = 1; i <= 100; ++i)
            surface.PSet(i, 10 + 5 * std::sin(i / 7.0), vbBlack);
        surface.SetDrawWidth(1);
    }
    state.SetItemsProcessed(state.iterations() * 100);
}
BENCHMARK(BM_ProfilePointsOnPicture);
