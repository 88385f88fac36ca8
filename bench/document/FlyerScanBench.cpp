// The scan of a large flyer (about 200 MB of element blocks, every checksum verified) against a
// plain sequential read of the same file from the page cache, in one run, and against reading
// plus summing it with zlib's Adler-32, the least a verifying scan can do. Prints the ratios of
// the throughputs at the end (aim: the scan at 0.7 of the plain read or better).

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "document/TFlyer.h"
#include "document/TFlyerLoader.h"
#include "document/TFlyerWriter.h"
#include "support/FixedWidthMeasurer.h"
#include "RunWithSummary.h"

namespace {

using namespace qrl;

constexpr int kElements = 200;
constexpr std::size_t kPictureBytes = 1 << 20;

// Writes the flyer once per run: 200 picture elements of 1 MiB, each on a page of its own.
class LargeFlyer {
 public:
  LargeFlyer() : path_((std::filesystem::temp_directory_path() / ("qrl-scan-bench-" + std::to_string(::getpid()) + ".qrl")).string()) {
    TQLStream stream(path_, TOpenMode::fmCreate);
    TFlyerWriter writer(stream);
    writer.WriteStart(THeaderDesc{});
    TInfoDesc info;
    info.Sections = {{0, "Flyer Info", {{"Title", {"Scan benchmark"}}}}};
    writer.WriteInfo(info, kElements, kElements);
    std::mt19937 random(42);
    TElementDesc element;
    element.Kind = ekImage;
    element.PictureData.resize(kPictureBytes);
    element.Occurrences = {TOccurrenceDesc{}};
    element.Occurrences[0].Placement = {0, 0, 640, 340};
    for (int i = 1; i <= kElements; ++i) {
      for (auto& byte : element.PictureData) byte = static_cast<std::uint8_t>(random());
      element.Id = static_cast<std::uint16_t>(i);
      writer.WriteElement(element);
    }
    writer.WritePage(TPageDesc{});
    for (int i = 1; i <= kElements; ++i) {
      TPageDesc page;
      page.Refs = {{static_cast<std::uint16_t>(i), 1, 0}};
      writer.WritePage(page);
    }
    size_ = stream.Size();
  }
  ~LargeFlyer() { std::filesystem::remove(path_); }

  const std::string& Path() const { return path_; }
  std::int64_t Size() const { return size_; }

 private:
  std::string path_;
  std::int64_t size_ = 0;
};

const LargeFlyer& Flyer() {
  static const LargeFlyer flyer;
  return flyer;
}

void BM_PlainRead(benchmark::State& state) {
  const LargeFlyer& flyer = Flyer();
  std::vector<char> buffer(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    const int fd = ::open(flyer.Path().c_str(), O_RDONLY);
    std::int64_t total = 0;
    for (ssize_t n; (n = ::read(fd, buffer.data(), buffer.size())) > 0;) {
      benchmark::DoNotOptimize(buffer.data());
      total += n;
    }
    ::close(fd);
    if (total != flyer.Size()) state.SkipWithError("short read");
  }
  state.SetBytesProcessed(state.iterations() * flyer.Size());
}
BENCHMARK(BM_PlainRead)->Arg(64 << 10)->Unit(benchmark::kMillisecond);

// The least any scan that verifies every checksum must do: read the file and sum all of it.
void BM_ReadAndChecksum(benchmark::State& state) {
  const LargeFlyer& flyer = Flyer();
  std::vector<unsigned char> buffer(64 << 10);
  for (auto _ : state) {
    const int fd = ::open(flyer.Path().c_str(), O_RDONLY);
    uLong sum = adler32(0, nullptr, 0);
    for (ssize_t n; (n = ::read(fd, buffer.data(), buffer.size())) > 0;)
      sum = adler32(sum, buffer.data(), static_cast<uInt>(n));
    ::close(fd);
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(state.iterations() * flyer.Size());
}
BENCHMARK(BM_ReadAndChecksum)->Unit(benchmark::kMillisecond);

void BM_Scan(benchmark::State& state) {
  const LargeFlyer& flyer = Flyer();
  const test::FixedWidthMeasurer measurer(7, 12);
  TLoadObserver observer;
  for (auto _ : state) {
    TFlyer model(measurer);
    TFlyerLoader loader(model, observer);
    loader.Open(flyer.Path());
    loader.ScanFlyer();
    if (model.Elements.size() != kElements) state.SkipWithError("scan incomplete");
  }
  state.SetBytesProcessed(state.iterations() * flyer.Size());
}
BENCHMARK(BM_Scan)->Unit(benchmark::kMillisecond);

// Keeps the throughput of every run so that the ratio can be printed after the table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const auto it = run.counters.find("bytes_per_second");
      if (it != run.counters.end()) rates_[run.run_name.function_name] = it->second.value;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintSummary() const {
    const auto read = rates_.find("BM_PlainRead");
    const auto summed = rates_.find("BM_ReadAndChecksum");
    const auto scan = rates_.find("BM_Scan");
    if (read == rates_.end() || summed == rates_.end() || scan == rates_.end()) return;
    std::printf("\nflyer size %.1f MB; plain read %.0f MB/s, read + Adler-32 %.0f MB/s, scan %.0f MB/s\n",
                static_cast<double>(Flyer().Size()) / 1e6, read->second / 1e6, summed->second / 1e6,
                scan->second / 1e6);
    std::printf("scan / plain read = %.2f (aim >= 0.70); scan / (read + Adler-32) = %.2f\n",
                scan->second / read->second, scan->second / summed->second);
  }

 private:
  std::map<std::string, double> rates_;
};

}  // namespace

int main(int argc, char** argv) {
  RatioReporter reporter;
  return qrl::bench::RunWithSummary(argc, argv, reporter);
}
