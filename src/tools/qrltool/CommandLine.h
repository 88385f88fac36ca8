#pragma once
// qrltool's command line: "qrltool COMMAND [OPTIONS] ARGS" run to its exit status.

#include <string>
#include <vector>

namespace qrl::tool {

// Runs the command args name (args without the program's own name): its help, the command
// itself, or the report of its failure. Returns the exit status.
int RunCommandLine(const std::vector<std::string>& args);

}  // namespace qrl::tool
