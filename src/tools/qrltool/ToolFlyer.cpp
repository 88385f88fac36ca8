#include "tools/qrltool/ToolFlyer.h"

#include <QCoreApplication>
#include <cstdlib>
#include <filesystem>

#include "document/Placeholder.h"
#include "elements/TCKbControl.h"
#include "imaging/FifLibrary.h"

namespace qrl::tool {

TToolFlyer::TToolFlyer()
    : flyer_(std::make_unique<TFlyer>(measurer_)),
      loader_(std::make_unique<TFlyerLoader>(*flyer_, observer_, PlaceholderFolderOf(std::getenv(kPlaceholderDirVariable)))) {}

TToolFlyer::~TToolFlyer() {
  loader_.reset();
  flyer_.reset();
}

void TToolFlyer::Scan(const std::string& path) {
  loader_->Open(path);
  loader_->ScanFlyer();
}

void TToolFlyer::Load(const std::string& path, bool decode) {
  Scan(path);
  const auto library = decode ? TFifLibrary::Hold() : std::nullopt;
  for (int i = 0; i < static_cast<int>(flyer_->Pages.size()); ++i) flyer_->BuildPage(i);
  if (decode)
    for (const auto& entry : flyer_->Elements)
      if (entry->Control) entry->Control->Prepare();
  loader_->Close();
}

std::string KickstarterPath() {
  const auto path = std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()) / "quirekick.exe";
  return std::filesystem::exists(path) ? path.string() : std::string();
}

}  // namespace qrl::tool
