#pragma once
// The main of a benchmark whose reporter keeps the runs' figures: runs the benchmarks named on
// the command line through it, then has it print its summary below the table.

#include <benchmark/benchmark.h>

namespace qrl::bench {

template <class TReporter>
int RunWithSummary(int argc, char** argv, TReporter& reporter) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintSummary();
  benchmark::Shutdown();
  return 0;
}

}  // namespace qrl::bench
