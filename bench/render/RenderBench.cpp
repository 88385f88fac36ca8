// The time of a page change once the pictures are decoded: a 1920 x 1020 page with a full-screen
// backdrop, ten pictures (half of them keyed) and five texts, drawn by RenderPage. The peer is the
// one copy of a finished page that painting the screen costs. Peak memory is reported as the
// process's maximum resident size, beside its size before any flyer was loaded.
//
// Usage: render_bench [Google Benchmark options]

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QGuiApplication>
#include <QPainter>
#include <cmath>
#include <memory>

#include "document/FlyerDescription.h"
#include "document/TFlyer.h"
#include "document/TFlyerLoader.h"
#include "document/TFlyerWriter.h"
#include "elements/QtTextMeasurer.h"
#include "fif/FifEncoder.h"
#include "render/FlyerScale.h"
#include "render/RenderPage.h"
#include "support/TempDir.h"

namespace {

using namespace qrl;

constexpr int kWidth = 1920;
constexpr int kHeight = 1020;
constexpr TColor kKey = 0xFF00FF;  // magenta

// A smooth picture with a disc of the key colour in it, encoded small: FIF decodes at any size.
std::vector<std::uint8_t> PictureData(int seed, bool withKey) {
  constexpr int w = 160, h = 100;
  TDib dib(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = dib.ScanLine(y) + 3 * x;
      p[0] = static_cast<std::uint8_t>(128 + 100 * std::sin((x + seed * 13) * 0.05));
      p[1] = static_cast<std::uint8_t>(128 + 100 * std::cos((y + seed * 7) * 0.07));
      p[2] = static_cast<std::uint8_t>((x + y + seed * 31) % 200);
      if (withKey && (x - 80) * (x - 80) + (y - 50) * (y - 50) < 35 * 35) p[0] = p[2] = 255, p[1] = 0;
    }
  return EncodeFif(dib);
}

TFlyerDesc BenchFlyer() {
  TFlyerDesc flyer;
  flyer.Header.FormatCode = 106;
  TInfoDesc info;
  info.Width = kWidth;
  info.Height = kHeight;
  flyer.Blocks.push_back(info);
  TPageDesc page;
  page.Colour = 0x00FFFFFF;
  const auto add = [&](TElementDesc element) {
    page.Refs.push_back({element.Id, 1, 0});
    flyer.Blocks.push_back(std::move(element));
  };
  TElementDesc backdrop;
  backdrop.Kind = ekImage;
  backdrop.Id = 1;
  backdrop.PictureData = PictureData(0, false);
  backdrop.Occurrences.push_back({});
  backdrop.Occurrences.back().Placement = {0, 0, kWidth, kHeight};
  backdrop.Occurrences.back().ImageFlags = 0x0004;
  add(std::move(backdrop));
  for (int i = 0; i < 10; ++i) {
    TElementDesc picture;
    picture.Kind = ekImage;
    picture.Id = static_cast<std::uint16_t>(10 + i);
    picture.PictureData = PictureData(i + 1, i % 2 == 1);
    TOccurrenceDesc o;
    o.Placement = {40 + (i % 5) * 370, 60 + (i / 5) * 420, 340, 240};
    if (i % 2 == 1) {
      o.ImageFlags = 0x0001;
      o.KeyColour = kKey;
    }
    picture.Occurrences.push_back(o);
    add(std::move(picture));
  }
  for (int i = 0; i < 5; ++i) {
    TElementDesc text;
    text.Kind = ekText;
    text.Id = static_cast<std::uint16_t>(30 + i);
    text.FontSize = 16;
    text.TextFlags = static_cast<std::int16_t>((i % 2 == 0 ? 0x0003 : 0x0000) | (i % 3) << 3);
    for (int line = 0; line < 6; ++line)
      text.Lines.push_back("Line " + std::to_string(line) + " of a text that tells what the page is about.");
    TOccurrenceDesc o;
    o.Placement = {40 + i * 370, 330, 340, 140};
    text.Occurrences.push_back(o);
    add(std::move(text));
  }
  flyer.Blocks.push_back(TPageDesc{});  // the background page, empty
  flyer.Blocks.push_back(page);
  return flyer;
}

struct TBenchFlyer {
  test::TempDir dir;
  TQtTextMeasurer measurer;
  std::unique_ptr<TFlyer> flyer;

  explicit TBenchFlyer(int bitsPerPixel) {
    const std::string path = dir.File("bench.qrl");
    WriteFlyerFile(BenchFlyer(), path);
    TScreenMetrics screen;
    screen.bitsPerPixel = bitsPerPixel;
    flyer = std::make_unique<TFlyer>(measurer, screen);
    TLoadObserver quiet;
    TFlyerLoader(*flyer, quiet).LoadFlyer(path);
    RenderPage(*flyer, 1);  // decodes the backdrop and builds the masks
  }
};

// Made on first use, so that the peak memory of the deep-colour runs counts one flyer.
TBenchFlyer& Flyer(int bitsPerPixel) {
  if (bitsPerPixel == 8) {
    static TBenchFlyer palette(8);
    return palette;
  }
  static TBenchFlyer deep(24);
  return deep;
}

double PeakMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// CPU time of the whole process (Qt converts large pictures on helper threads), in ms.
double ProcessCpuMs() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto ms = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1e3 + t.tv_usec / 1e3; };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

void RenderPages(benchmark::State& state, TFlyer& flyer) {
  const double start = ProcessCpuMs();
  for (auto _ : state) benchmark::DoNotOptimize(RenderPage(flyer, 1));
  state.counters["processCpuMs"] =
      benchmark::Counter((ProcessCpuMs() - start) / static_cast<double>(state.iterations()));
}

// The process before any flyer was loaded: what the peak is to be read against.
double gStartMiB = 0;

void ReportPeakMemory(benchmark::State& state) {
  state.counters["peakMiB"] = PeakMiB();
  state.counters["startMiB"] = gStartMiB;
}

void BM_PageCopy(benchmark::State& state) {
  const QImage page = RenderPage(*Flyer(24).flyer, 1);
  QImage screen(page.size(), QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter painter(&screen);
    painter.drawImage(QPoint(0, 0), page);
    benchmark::DoNotOptimize(screen.constBits());
  }
  ReportPeakMemory(state);
}

void BM_RenderPage(benchmark::State& state) {
  RenderPages(state, *Flyer(24).flyer);
  ReportPeakMemory(state);
}

// A smaller window: every placement rescaled, pictures stretched.
void BM_RenderPageScaled(benchmark::State& state) {
  TFlyer& flyer = *Flyer(24).flyer;
  SetFlyerArea(flyer, 1280, AreaHeightForWidth(flyer, 1280));
  RenderPage(flyer, 1);
  RenderPages(state, flyer);
  SetFlyerArea(flyer, kWidth, kHeight);
  ReportPeakMemory(state);
}

void BM_RenderPage8Bit(benchmark::State& state) {
  RenderPages(state, *Flyer(8).flyer);
  ReportPeakMemory(state);
}

BENCHMARK(BM_PageCopy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderPageScaled)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderPage8Bit)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int qtArgc = 1;
  QGuiApplication app(qtArgc, argv);
  gStartMiB = PeakMiB();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
