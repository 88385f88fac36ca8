// The one mapping of qrltool's failures to exit statuses, lines and JSON error objects.

#include <gtest/gtest.h>

#include <new>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "fif/FifStatus.h"
#include "format/CodePage.h"
#include "format/QuireleafException.h"
#include "tools/authoring/ManifestError.h"
#include "tools/qrltool/ArgumentParser.h"
#include "tools/qrltool/Command.h"
#include "tools/qrltool/FailureReport.h"

namespace qrl::tool {
namespace {

struct TReport {
  int Status;
  std::string Out;
  std::string Err;
};

TReport Report(const std::exception& e, bool debug = false, bool json = false) {
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  const int status = ReportFailure(e, {"info", "usage: qrltool info FILE\n", debug, json});
  std::string out = testing::internal::GetCapturedStdout();
  return {status, out, testing::internal::GetCapturedStderr()};
}

TEST(FailureReport, RefusedInputIsOneAndTheToolsOwnFailuresTwo) {
  EXPECT_EQ(ExitStatusOf(EQuireleafInvalidFile("This is not a Quireleaf.")), kExitRefused);
  EXPECT_EQ(ExitStatusOf(EQuireleafDebugger(ecChecksumFailed)), kExitRefused);
  EXPECT_EQ(ExitStatusOf(EFifError(fsDamaged, "cut short")), kExitRefused);
  EXPECT_EQ(ExitStatusOf(EManifestError({"m.json: no pages"})), kExitRefused);
  EXPECT_EQ(ExitStatusOf(EUnstorableText(U'\u4E2D')), kExitRefused);
  EXPECT_EQ(ExitStatusOf(EFileError("Cannot read file \"x\": Input/output error")), kExitUsage);
  EXPECT_EQ(ExitStatusOf(EUsage("expected one flyer file")), kExitUsage);
  EXPECT_EQ(ExitStatusOf(std::runtime_error("anything else")), kExitUsage);
  EXPECT_EQ(ExitStatusOf(std::bad_alloc()), kExitUsage);
}

TEST(FailureReport, LinesSayWhatThePlayerWouldSay) {
  EXPECT_EQ(Report(EQuireleafDebugger(ecChecksumFailed)).Err, "Error 4100 has occurred during file access.\n");
  EXPECT_EQ(Report(EQuireleafDebugger(ecChecksumFailed), true).Err, "Checksum failed.\n");
  EXPECT_EQ(Report(EQuireleafInvalidFile("This is not a Quireleaf.")).Err, "This is not a Quireleaf.\n");

  const TReport file = Report(EFileError("Cannot open file \"a.qrl\": No such file or directory"));
  EXPECT_EQ(file.Status, kExitUsage);
  EXPECT_EQ(file.Err, "qrltool info: Cannot open file \"a.qrl\": No such file or directory\n");
  EXPECT_EQ(Report(EUsage("expected one flyer file")).Err,
            "qrltool info: expected one flyer file\nusage: qrltool info FILE\n");

  const TReport manifest = Report(EManifestError({"m.json: pages: none", "m.json: title: empty"}));
  EXPECT_EQ(manifest.Err, "m.json: pages: none\nm.json: title: empty\nqrltool info: nothing written\n");
  EXPECT_EQ(manifest.Out, "");
}

TEST(FailureReport, JsonCarriesClassCodeAndStatus) {
  TReport coded = Report(EQuireleafDebugger(ecChecksumFailed), false, true);
  EXPECT_EQ(coded.Status, kExitRefused);
  EXPECT_EQ(nlohmann::json::parse(coded.Out),
            nlohmann::json::parse(R"({"error": {"class": "EQuireleafDebugger", "message": "Checksum failed.",
                                                "code": 4100}})"));
  EXPECT_EQ(coded.Err, "");

  const auto fif = nlohmann::json::parse(Report(EFifError(fsDamaged), false, true).Out)["error"];
  EXPECT_EQ(fif["class"], "EFifError");
  EXPECT_EQ(fif["status"], fsDamaged);
  EXPECT_FALSE(fif.contains("code"));

  const TReport file = Report(EFileError("Cannot read file \"a.qrl\": Input/output error"), false, true);
  EXPECT_EQ(file.Status, kExitUsage);
  EXPECT_EQ(nlohmann::json::parse(file.Out)["error"]["class"], "EFileError");
}

}  // namespace
}  // namespace qrl::tool
