#pragma once
// Flyer descriptions for the document tests, an observer that records what the loader tells
// it, and a temporary folder that stands in for $TMPDIR so that left-over files are seen.

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "document/FlyerDescription.h"
#include "document/TFlyer.h"
#include "document/TFlyerLoader.h"
#include "document/TLoadObserver.h"
#include "support/FixedWidthMeasurer.h"
#include "support/TempDir.h"

namespace qrl::test {

inline TOccurrenceDesc At(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
  TOccurrenceDesc o;
  o.Placement = {left, top, width, height};
  return o;
}

// An opaque, framed text element with one occurrence per rectangle given.
inline TElementDesc Text(std::uint16_t id, TStrings lines, std::vector<TOccurrenceDesc> occurrences = {At(0, 0, 100, 20)}) {
  TElementDesc e;
  e.Kind = ekText;
  e.Id = id;
  e.Lines = std::move(lines);
  e.Occurrences = std::move(occurrences);
  return e;
}

// A text element that stands for a placeholder picture: no lines, neither opaque nor framed.
inline TElementDesc Placeholder(std::uint16_t id) {
  TElementDesc e = Text(id, {});
  e.TextFlags = 0;
  return e;
}

inline TElementDesc Sound(std::uint16_t id, int occurrences = 1) {
  TElementDesc e;
  e.Kind = ekSound;
  e.Id = id;
  e.SoundData = TBytes(100, 0x80);
  e.Occurrences.resize(static_cast<std::size_t>(occurrences));
  return e;
}

inline TPageDesc Page(std::vector<TPageRefDesc> refs, TColor colour = 0xFFFFFF) {
  TPageDesc p;
  p.Colour = colour;
  p.Refs = std::move(refs);
  return p;
}

inline TInfoDesc Info(const std::string& title, std::int32_t width = 640, std::int32_t height = 340) {
  TInfoDesc info;
  info.Width = width;
  info.Height = height;
  if (!title.empty()) info.Sections.push_back({0, "Flyer Info", {{"Title", {title}}}});
  return info;
}

inline TFlyerDesc MakeFlyer(std::vector<TBlockDesc> blocks, std::uint16_t formatCode = 106) {
  TFlyerDesc flyer;
  flyer.Header.FormatCode = formatCode;
  flyer.Blocks = std::move(blocks);
  return flyer;
}

// Records the loader's calls as lines of text, in order, and answers its questions as scripted.
class RecordingObserver : public TLoadObserver {
 public:
  std::vector<std::string> Log;
  std::vector<std::string> Captions;
  int EventsProcessed = 0;
  // A close is requested once this many events were processed, or once this many captions
  // were set (the scan sets one per block).
  std::optional<int> CloseAfterEvents;
  std::optional<int> CloseAfterCaptions;
  bool KeepNote = false;
  std::function<void(TFlyer&)> OnFirstPage;

  void SetCaption(const std::string& text) override {
    Captions.push_back(text);
    Log.push_back("caption " + text);
  }
  void ProcessEvents() override { ++EventsProcessed; }
  bool CloseRequested() override {
    return (CloseAfterEvents && EventsProcessed >= *CloseAfterEvents) ||
           (CloseAfterCaptions && static_cast<int>(Captions.size()) >= *CloseAfterCaptions);
  }
  bool MustFinishBuilding() override { return KeepNote; }
  void InfoRead(TFlyer& flyer) override { Log.push_back("info " + flyer.FlyerTitle); }
  void NoteRead(TFlyer&) override { Log.push_back("note"); }
  void ScanEnded(TFlyer&) override { Log.push_back("scan ended"); }
  void FirstPageReady(TFlyer& flyer) override {
    Log.push_back("first page");
    if (OnFirstPage) OnFirstPage(flyer);
  }
};

// Points $TMPDIR at a fresh folder for one test, so that temporary files of the flyer can be
// counted, and puts the old value back afterwards.
class ScopedTmpDir {
 public:
  ScopedTmpDir() {
    if (const char* old = std::getenv("TMPDIR")) old_ = old;
    ::setenv("TMPDIR", dir_.Path().c_str(), 1);
  }
  ~ScopedTmpDir() {
    if (old_)
      ::setenv("TMPDIR", old_->c_str(), 1);
    else
      ::unsetenv("TMPDIR");
  }
  ScopedTmpDir(const ScopedTmpDir&) = delete;
  ScopedTmpDir& operator=(const ScopedTmpDir&) = delete;

  int FileCount() const {
    return static_cast<int>(std::distance(std::filesystem::directory_iterator(dir_.Path()),
                                          std::filesystem::directory_iterator()));
  }

 private:
  TempDir dir_;
  std::optional<std::string> old_;
};

inline const FixedWidthMeasurer& Measurer() {
  static const FixedWidthMeasurer measurer(7, 12);
  return measurer;
}

// Writes the flyer to a file of the folder and loads it completely.
struct LoadedFlyer {
  std::unique_ptr<TFlyer> Flyer = std::make_unique<TFlyer>(Measurer());
  RecordingObserver Observer;
  TLoadResult Result = TLoadResult::lrComplete;
  std::string PlaceholderFolder;

  void Load(const std::string& path) {
    TFlyerLoader loader(*Flyer, Observer, PlaceholderFolder);
    Result = loader.LoadFlyer(path);
  }
};

}  // namespace qrl::test
