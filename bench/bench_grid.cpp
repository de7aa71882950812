// The history grid with many rows and one embedded row panel, as the history window uses it:
// moving the panel to another row, and one scroll step. Both place the embedded controls, so
// their cost should not grow with the number of rows.
//
//   QT_QPA_PLATFORM=offscreen build-bench/bin/bench_grid
#include "controls/advstringgrid.h"

#include <QApplication>
#include <QScrollBar>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

struct Grid {
    QWidget panel;
    TAdvStringGrid* grid = nullptr;
    QWidget rowPanel;

    explicit Grid(int dataRows) {
        panel.resize(654, 347);
        grid = new TAdvStringGrid(&panel);
        grid->setGeometry(0, 0, 654, 347);
        grid->SetColCount(4);
        grid->SetRowCount(dataRows + 1);
        panel.show();
        grid->SetCellControl(3, 1, &rowPanel);
    }
    ~Grid() { rowPanel.setParent(nullptr); }
    Q_DISABLE_COPY_MOVE(Grid)
};

void BM_MoveRowPanel(benchmark::State& state) {
    Grid g(static_cast<int>(state.range(0)));
    int row = 1;
    for (auto _ : state) {
        row = row == 1 ? 2 : 1;
        g.grid->SetCellControl(3, row, &g.rowPanel);
    }
}
BENCHMARK(BM_MoveRowPanel)->ArgName("rows")->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_ScrollStep(benchmark::State& state) {
    Grid g(static_cast<int>(state.range(0)));
    QScrollBar* bar = g.grid->verticalScrollBar();
    int value = 0;
    for (auto _ : state) {
        value = value == 0 ? 1 : 0;
        bar->setValue(value);
    }
}
BENCHMARK(BM_ScrollStep)->ArgName("rows")->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
