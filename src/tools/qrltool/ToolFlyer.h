#pragma once
// A flyer loaded for a command exactly as the player loads it (scan, then every page built in
// order, elements read lazily), with real font metrics.

#include <memory>
#include <string>

#include <QString>

#include "document/TFlyer.h"
#include "document/TFlyerLoader.h"
#include "elements/QtTextMeasurer.h"

namespace qrl::tool {

class TToolFlyer {
 public:
  TToolFlyer();
  ~TToolFlyer();
  TToolFlyer(const TToolFlyer&) = delete;
  TToolFlyer& operator=(const TToolFlyer&) = delete;

  // Scans the file and builds every page; with decode every image element read is prepared
  // (its picture decoded) as well. Errors are exceptions.
  void Load(const std::string& path, bool decode);
  // Scans the file only and keeps it open, so that single elements can be read afterwards
  // (ReadElement); Close() ends that.
  void Scan(const std::string& path);
  void ReadElement(TSaveRec& entry) { flyer_->LoadElement(entry); }
  void Close() { loader_->Close(); }

  TFlyer& Flyer() { return *flyer_; }

 private:
  TQtTextMeasurer measurer_;
  std::unique_ptr<TFlyer> flyer_;
  TLoadObserver observer_;
  std::unique_ptr<TFlyerLoader> loader_;
};

// The kickstarter launcher beside this program ("" when it is missing).
std::string KickstarterPath();

}  // namespace qrl::tool
