#pragma once
// The one place where a failed qrltool command becomes its exit status and its report: 1 when
// the input was refused (a flyer the player would reject, a damaged picture, a manifest with
// mistakes, a note the flyer cannot store); 2 for wrong usage and for the tool's own failures
// (a file it cannot read or write).

#include <exception>
#include <string>

namespace qrl::tool {

struct TFailureStyle {
  std::string Command;  // the command's name, which starts the lines about the tool's own failures
  std::string Usage;    // shown after wrong usage
  bool Debug = false;   // -d: a coded error shows its message instead of its number
  bool Json = false;    // --json: {"error": {...}} on standard output instead of a line
};

int ExitStatusOf(const std::exception& e);

// A refused input is reported with exactly the line the player's message box would show
// ("Error 4100 has occurred during file access.", or the message itself); wrong usage with the
// command's usage; anything else as "qrltool COMMAND: message". With Json the report is the
// error object {"class", "message", and "code" or "status" where the error carries one}.
// Returns ExitStatusOf(e).
int ReportFailure(const std::exception& e, const TFailureStyle& style);

}  // namespace qrl::tool
