#include "tools/qrltool/FailureReport.h"

#include <iostream>
#include <nlohmann/json.hpp>

#include "fif/FifStatus.h"
#include "format/QuireleafException.h"
#include "tools/authoring/ManifestError.h"
#include "tools/qrltool/ArgumentParser.h"
#include "tools/qrltool/Command.h"

namespace qrl::tool {

int ExitStatusOf(const std::exception& e) {
  if (dynamic_cast<const EUsage*>(&e) || dynamic_cast<const EFileError*>(&e)) return kExitUsage;
  return dynamic_cast<const EQuireleafException*>(&e) ? kExitRefused : kExitUsage;
}

int ReportFailure(const std::exception& e, const TFailureStyle& style) {
  const int status = ExitStatusOf(e);
  const std::string prefix = "qrltool " + style.Command + ": ";
  if (dynamic_cast<const EUsage*>(&e)) {
    std::cerr << prefix << e.what() << "\n" << style.Usage;
    return status;
  }
  if (style.Json) {
    nlohmann::ordered_json error = {{"class", ExceptionClassName(e)}, {"message", e.what()}};
    if (const auto* coded = dynamic_cast<const EQuireleafDebugger*>(&e)) error["code"] = coded->HelpContext();
    if (const auto* fif = dynamic_cast<const EFifError*>(&e)) error["status"] = fif->Status();
    std::cout << nlohmann::ordered_json{{"error", error}}.dump(2) << "\n";
  } else if (const auto* manifest = dynamic_cast<const EManifestError*>(&e)) {
    for (const auto& message : manifest->Messages()) std::cerr << message << "\n";
    std::cerr << prefix << "nothing written\n";
  } else if (status == kExitRefused) {
    std::cerr << HandleExceptionMessage(e, style.Debug) << "\n";
  } else {
    std::cerr << prefix << e.what() << "\n";
  }
  return status;
}

}  // namespace qrl::tool
