#pragma once
// The commands of qrltool. Each lives in a file of its own; it returns kExitOk or raises, and
// ReportFailure turns what it raised into the exit status: 1 the input was refused, 2 wrong
// usage or an input/output failure of the tool.

#include <string>
#include <vector>

namespace qrl::tool {

enum ExitStatus { kExitOk = 0, kExitRefused = 1, kExitUsage = 2 };

using Arguments = std::vector<std::string>;

struct TCommand {
  const char* Name;
  const char* Summary;
  const char* Usage;  // printed by "qrltool COMMAND --help"
  int (*Run)(const Arguments& args);
};

// The commands in the order "qrltool --help" lists them.
const std::vector<TCommand>& Commands();

}  // namespace qrl::tool
