// Entry point of the benchmarks that paint: the QApplication lives on main()'s stack, made
// before the first benchmark and destroyed before the toolkit's own globals go away at exit (an
// application object kept in a function-local static outlives them and crashes at exit).
// Offscreen platform unless another one is asked for; Qt's options are taken off the command line
// before Google Benchmark reads it.
#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
