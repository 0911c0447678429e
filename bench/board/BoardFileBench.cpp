// Saving and loading boards of 9, 99 and 999 tiles: the cost per tile should stay flat as boards grow.
#include "board/VelmoViewController.h"
#include "foundation/Clock.h"
#include "foundation/FileManager.h"
#include "foundation/Format.h"
#include "testing/TemporaryHome.h"
#include "uikit/Application.h"
#include "uikit/Image.h"

#include <benchmark/benchmark.h>

namespace {

std::string boardWithTiles(int tiles)
{
    std::string text =
        "<floor>\n  <background>defaultbackground.png</background>\n  <type>background</type>\n"
        "  <size width=\"320.000000\" height=\"460.000000\"></size>\n";
    for (int i = 0; i < tiles; ++i)
        text +=
            ns::format("  <floor>\n    <background>contact-withoutphoto.png</background>\n"
                       "    <type>tel</type>\n    <parameters>tel:06%06d</parameters>\n"
                       "    <title>Contact %d</title>\n    <id>0</id>\n"
                       "    <center x=\"%f\" y=\"%f\"></center>\n"
                       "    <badge string=\"mobile\" color=\"1.000000,0.800000,0.039216,1.000000\"></badge>\n"
                       "    <size width=\"90.000000\" height=\"90.000000\"></size>\n"
                       "    <transform a=\"1.000000\" b=\"0.000000\" c=\"0.000000\" d=\"1.000000\" "
                       "tx=\"0.000000\" ty=\"0.000000\"></transform>\n  </floor>\n",
                       i, i, 55.0 + 105 * (i % 3), 98.0 + 108 * (i / 3));
    return text + "</floor>";
}

struct Setup
{
    Setup() { ui::Image::setResourcePath(VELMO_RESOURCES); }
    testkit::TemporaryHome home;
    ns::ManualClockScope clock;
};

Setup& setup()
{
    static Setup instance;
    return instance;
}

ns::Ref<VelmoViewController> boardOf(int tiles)
{
    setup();
    ns::FileManager::writeAtomically(VelmoViewController::boardFilePath(), boardWithTiles(tiles));
    ui::Application::sharedApplication().reset();
    auto board = VelmoViewController::create();
    board->view();
    return board;
}

void perTile(benchmark::State& state)
{
    state.counters["per_tile"] = benchmark::Counter(
        double(state.range(0)), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_SaveBoard(benchmark::State& state)
{
    auto board = boardOf(int(state.range(0)));
    for (auto _ : state)
        board->saveXML(nullptr);
    perTile(state);
}

// Loading a board reads the file, builds the tiles and saves once, as at start-up.
void BM_LoadBoard(benchmark::State& state)
{
    boardOf(int(state.range(0)));
    for (auto _ : state) {
        auto board = VelmoViewController::create();
        board->view();
        benchmark::DoNotOptimize(board);
    }
    perTile(state);
}

} // namespace

BENCHMARK(BM_SaveBoard)->Arg(9)->Arg(99)->Arg(999)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadBoard)->Arg(9)->Arg(99)->Arg(999)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
