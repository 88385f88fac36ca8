#include "tools/qrltool/ToolFlyer.h"

#include <QCoreApplication>
#include <QStringEncoder>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>

#include "document/Placeholder.h"
#include "elements/TCKbControl.h"
#include "format/QuireleafException.h"
#include "imaging/FifLibrary.h"
#include "tools/qrltool/Command.h"

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

int ReportFailure(const std::exception& e, bool debug, bool json) {
  const bool refused = dynamic_cast<const EQuireleafException*>(&e) != nullptr;
  if (json) {
    nlohmann::ordered_json error = {{"class", ExceptionClassName(e)}, {"message", e.what()}};
    if (const auto* coded = dynamic_cast<const EQuireleafDebugger*>(&e)) error["code"] = coded->HelpContext();
    std::cout << nlohmann::ordered_json{{"error", error}}.dump(2) << "\n";
  } else {
    std::cerr << (refused ? HandleExceptionMessage(e, debug) : std::string(e.what())) << "\n";
  }
  return refused ? kExitRefused : kExitUsage;
}

std::string Utf8(const std::string& cp1252) { return FromCp1252(cp1252).toStdString(); }

std::string Cp1252(const QString& text) {
  QStringEncoder encoder("windows-1252", QStringEncoder::Flag::Stateless);
  const QByteArray bytes = encoder.encode(text);
  return bytes.toStdString();
}

std::string KickstarterPath() {
  const auto path = std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()) / "quirekick.exe";
  return std::filesystem::exists(path) ? path.string() : std::string();
}

}  // namespace qrl::tool
