#include "tools/qrltool/CommandLine.h"

#include <algorithm>
#include <iostream>

#include "tools/qrltool/Command.h"
#include "tools/qrltool/FailureReport.h"

namespace qrl::tool {

namespace {

void PrintHelp() {
  std::cout << "usage: qrltool COMMAND [OPTIONS] ARGS\n\ncommands:\n";
  for (const auto& c : Commands()) std::cout << "  " << c.Name << "\t" << c.Summary << "\n";
  std::cout << "\n\"qrltool COMMAND --help\" describes a command's options.\n";
}

bool Has(const Arguments& args, const char* option) { return std::find(args.begin(), args.end(), option) != args.end(); }

}  // namespace

int RunCommandLine(const std::vector<std::string>& args) {
  if (args.empty() || args[0] == "--help" || args[0] == "-h") {
    PrintHelp();
    return args.empty() ? kExitUsage : kExitOk;
  }
  const auto command = std::find_if(Commands().begin(), Commands().end(),
                                    [&](const TCommand& c) { return args[0] == c.Name; });
  if (command == Commands().end()) {
    std::cerr << "qrltool: unknown command \"" << args[0] << "\"\n";
    PrintHelp();
    return kExitUsage;
  }
  const Arguments rest(args.begin() + 1, args.end());
  if (Has(rest, "--help") || Has(rest, "-h")) {
    std::cout << command->Usage;
    return kExitOk;
  }
  try {
    return command->Run(rest);
  } catch (const std::exception& e) {
    // A command that does not take -d or --json has refused them as wrong usage already.
    return ReportFailure(e, {command->Name, command->Usage, Has(rest, "-d"), Has(rest, "--json")});
  }
}

}  // namespace qrl::tool
