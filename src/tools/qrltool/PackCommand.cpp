// qrltool pack and unpack: a flyer behind the kickstarter launcher, and back.

#include <filesystem>

#include "format/Packing.h"
#include "tools/qrltool/ArgumentParser.h"
#include "tools/qrltool/Command.h"
#include "tools/qrltool/ToolFlyer.h"

namespace qrl::tool {

namespace {

int RunPack(const Arguments& args) {
  const TArgumentParser p(args, {}, {"-o", "--kickstarter"});
  const std::string flyer = p.Single("flyer file");
  const std::string out = p.Required("-o");
  const std::string kickstarter = p.Value("--kickstarter").value_or(KickstarterPath());
  if (kickstarter.empty()) throw EUsage("no quirekick.exe beside qrltool; name one with --kickstarter");
  // The flyer travels under its own name with the extension the player expects.
  const std::string resourceName = std::filesystem::path(flyer).stem().string() + ".QRL";
  PackFlyer(kickstarter, flyer, resourceName, out);
  return kExitOk;
}

int RunUnpack(const Arguments& args) {
  const TArgumentParser p(args, {}, {"-o"});
  const std::string exe = p.Single("kickstarter executable");
  const std::string out = p.Required("-o");
  UnpackFlyer(exe, out);
  return kExitOk;
}

}  // namespace

extern const TCommand kPackCommand = {
    "pack", "pack a flyer behind the kickstarter launcher",
    "usage: qrltool pack FLYER -o OUT.exe [--kickstarter PATH]\n"
    "  --kickstarter  the launcher to pack with (default: quirekick.exe beside qrltool)\n",
    RunPack};

extern const TCommand kUnpackCommand = {"unpack", "take the flyer out of a kickstarter executable",
                                        "usage: qrltool unpack FILE.exe -o OUT.qrl\n", RunUnpack};

}  // namespace qrl::tool
