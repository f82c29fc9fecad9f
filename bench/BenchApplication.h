#pragma once

#include <QApplication>

#include <benchmark/benchmark.h>

// The main of a benchmark program whose fixtures hold widgets: an offscreen application around
// the run, and the fixtures destroyed (by `release`) before the application goes.
template <typename Release> int runWithApplication(int argc, char** argv, Release release)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    release();
    return 0;
}
