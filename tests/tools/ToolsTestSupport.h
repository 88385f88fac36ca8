#pragma once
// Manifests for the authoring tests: a scratch folder holding a manifest and the files it
// names, the mistakes a manifest is refused with, and a flyer loaded back as the player loads
// it. Real fonts need a GUI application, which the tests create once.

#include <QGuiApplication>
#include <QImage>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "document/TFlyer.h"
#include "document/TFlyerLoader.h"
#include "support/FixedWidthMeasurer.h"
#include "support/GuiApplication.h"
#include "support/TempDir.h"
#include "tools/authoring/FlyerCompiler.h"
#include "tools/authoring/Manifest.h"
#include "tools/authoring/ManifestError.h"

namespace qrl::test {

// Every character 7 pixels wide, lines 12 pixels high: layouts the tests can work out by hand.
inline const FixedWidthMeasurer& Fixed() {
  static const FixedWidthMeasurer measurer(7, 12);
  return measurer;
}

class ManifestDir {
 public:
  std::string Write(const std::string& name, const std::string& text) const {
    std::ofstream(dir_.File(name), std::ios::binary) << text;
    return dir_.File(name);
  }
  // A picture of one colour, optionally with a square of another in its middle.
  std::string Picture(const std::string& name, int width, int height, QColor colour, int inner = 0,
                      QColor innerColour = Qt::black) const {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    for (int y = (height - inner) / 2; y < (height + inner) / 2; ++y)
      for (int x = (width - inner) / 2; x < (width + inner) / 2; ++x) image.setPixelColor(x, y, innerColour);
    image.save(QString::fromStdString(dir_.File(name)));
    return dir_.File(name);
  }
  std::string File(const std::string& name) const { return dir_.File(name); }
  const TempDir& Dir() const { return dir_; }

 private:
  TempDir dir_;
};

// The mistakes ParseManifest refuses the text with; empty when it is accepted.
inline std::vector<std::string> MistakesIn(const std::string& text, const ManifestDir& dir) {
  try {
    ParseManifest(text, dir.Dir().Path(), "m.json");
  } catch (const EManifestError& e) {
    return e.Messages();
  }
  return {};
}

// A flyer file loaded completely, pictures decoded, as the player loads it.
struct LoadedFlyer {
  explicit LoadedFlyer(const std::string& path, const TTextMeasurer& measurer = Fixed())
      : Flyer(std::make_unique<TFlyer>(measurer)) {
    TFlyerLoader loader(*Flyer, Observer);
    loader.LoadFlyer(path);
  }
  TLoadObserver Observer;
  std::unique_ptr<TFlyer> Flyer;
};

}  // namespace qrl::test
