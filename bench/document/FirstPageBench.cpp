// Time until page 1 is ready (open, scan, page 1 built and its pictures decoded) for a flyer of
// 2 pages and one of 200 pages whose first page is the same, beside the scan alone of each.
// Prints the ratios 200/2 at the end: the first page may cost more only by the longer scan.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "document/TFlyer.h"
#include "document/TFlyerLoader.h"
#include "document/TFlyerWriter.h"
#include "fif/FifEncoder.h"
#include "support/FixedWidthMeasurer.h"
#include "RunWithSummary.h"

namespace {

using namespace qrl;
using Clock = std::chrono::steady_clock;

TBytes Picture(int seed) {
  TDib picture(320, 170);
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < 3 * picture.Width(); ++x)
      picture.ScanLine(y)[x] = static_cast<std::uint8_t>((x * (seed + 3) + y * 5 + (x / 3) * (y / 7)) & 0xFF);
  return EncodeFif(picture);
}

TOccurrenceDesc Placed(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
  TOccurrenceDesc o;
  o.Placement = {left, top, width, height};
  return o;
}

// Each page holds a full-canvas picture and a scrolling text of its own; page 1 is the same in
// every flyer written.
class PagedFlyer {
 public:
  explicit PagedFlyer(int pages)
      : path_((std::filesystem::temp_directory_path() /
               ("qrl-first-page-" + std::to_string(::getpid()) + "-" + std::to_string(pages) + ".qrl"))
                  .string()) {
    TFlyerDesc flyer;
    flyer.Header.FormatCode = 106;
    TInfoDesc info;
    info.Sections = {{0, "Flyer Info", {{"Title", {"First page benchmark"}}}}};
    flyer.Blocks.push_back(info);
    const TBytes pictures[] = {Picture(1), Picture(2), Picture(3)};
    std::string words;
    for (int i = 0; i < 300; ++i) words += i == 0 ? "word" : " word";
    for (int page = 1; page <= pages; ++page) {
      TElementDesc picture;
      picture.Kind = ekImage;
      picture.Id = static_cast<std::uint16_t>(2 * page - 1);
      picture.PictureData = pictures[page % 3];
      picture.Occurrences = {Placed(0, 0, 640, 340)};
      flyer.Blocks.push_back(picture);
      TElementDesc text;
      text.Kind = ekText;
      text.Id = static_cast<std::uint16_t>(2 * page);
      text.TextFlags = 0x0007;
      text.Lines = {words};
      text.Occurrences = {Placed(20, 20, 200, 100)};
      flyer.Blocks.push_back(text);
    }
    flyer.Blocks.push_back(TPageDesc{});
    for (int page = 1; page <= pages; ++page) {
      TPageDesc block;
      const auto id = static_cast<std::uint16_t>(2 * page);
      block.Refs = {{static_cast<std::uint16_t>(id - 1), 1, 0}, {id, 1, 0}};
      flyer.Blocks.push_back(block);
    }
    WriteFlyerFile(flyer, path_);
  }
  ~PagedFlyer() { std::filesystem::remove(path_); }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

const PagedFlyer& FlyerOf(int pages) {
  static std::map<int, PagedFlyer> flyers;
  return flyers.try_emplace(pages, pages).first->second;
}

// Notes when page 1 is ready and asks the loader to stop there.
class FirstPageObserver : public TLoadObserver {
 public:
  Clock::time_point Ready;
  bool Seen = false;
  void FirstPageReady(TFlyer&) override {
    Ready = Clock::now();
    Seen = true;
  }
  bool CloseRequested() override { return Seen; }
};

void BM_FirstPage(benchmark::State& state) {
  const PagedFlyer& flyer = FlyerOf(static_cast<int>(state.range(0)));
  const test::FixedWidthMeasurer measurer(7, 12);
  for (auto _ : state) {
    TFlyer model(measurer);
    FirstPageObserver observer;
    const auto start = Clock::now();
    TFlyerLoader loader(model, observer);
    loader.LoadFlyer(flyer.Path());
    if (!observer.Seen) state.SkipWithError("page 1 never became ready");
    state.SetIterationTime(std::chrono::duration<double>(observer.Ready - start).count());
  }
}
BENCHMARK(BM_FirstPage)->Arg(2)->Arg(200)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_Scan(benchmark::State& state) {
  const PagedFlyer& flyer = FlyerOf(static_cast<int>(state.range(0)));
  const test::FixedWidthMeasurer measurer(7, 12);
  TLoadObserver observer;
  for (auto _ : state) {
    TFlyer model(measurer);
    TFlyerLoader loader(model, observer);
    loader.Open(flyer.Path());
    loader.ScanFlyer();
  }
}
BENCHMARK(BM_Scan)->Arg(2)->Arg(200)->Unit(benchmark::kMillisecond);

// Keeps the time of every run so that the ratios can be printed after the table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Iteration) times_[run.benchmark_name()] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintSummary() const {
    const double first2 = Time("BM_FirstPage/2/manual_time"), first200 = Time("BM_FirstPage/200/manual_time");
    const double scan2 = Time("BM_Scan/2"), scan200 = Time("BM_Scan/200");
    if (first2 <= 0 || first200 <= 0 || scan2 <= 0 || scan200 <= 0) return;
    std::printf("\nfirst page: 2 pages %.2f ms, 200 pages %.2f ms; scan: %.2f ms and %.2f ms\n", first2, first200,
                scan2, scan200);
    std::printf("first page 200/2 = %.2f; beyond the scan (first page less scan) 200/2 = %.2f (aim: near 1)\n",
                first200 / first2, (first200 - scan200) / (first2 - scan2));
  }

 private:
  double Time(const std::string& name) const {
    const auto it = times_.find(name);
    return it == times_.end() ? 0 : it->second;
  }
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  RatioReporter reporter;
  return qrl::bench::RunWithSummary(argc, argv, reporter);
}
