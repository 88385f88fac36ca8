// qrltool build: authors a flyer from a manifest (docs/manifest.md).

#include "elements/QtTextMeasurer.h"
#include "tools/authoring/FlyerCompiler.h"
#include "tools/qrltool/ArgumentParser.h"
#include "tools/qrltool/Command.h"
#include "tools/qrltool/ToolFlyer.h"

namespace qrl::tool {

int RunBuild(const Arguments& args) {
  const TArgumentParser p(args, {}, {"-o", "--kickstarter"});
  const std::string manifest = p.Single("manifest");
  const std::string out = p.Required("-o");
  const std::string kickstarter = p.Value("--kickstarter").value_or(KickstarterPath());
  // Texts are laid out with the fonts the player measures them with.
  const TQtTextMeasurer measurer;
  BuildFlyer(manifest, out, measurer, kickstarter);
  return kExitOk;
}

extern const TCommand kBuildCommand = {
    "build", "author a flyer from a manifest",
    "usage: qrltool build MANIFEST.json -o OUT.qrl|OUT.exe [--kickstarter PATH]\n"
    "  MANIFEST.json  the flyer's description (docs/manifest.md); files it names are found\n"
    "                 relative to its folder\n"
    "  -o             the flyer to write; OUT.exe is packed with the kickstarter\n"
    "  --kickstarter  the launcher to pack with (default: quirekick.exe beside qrltool)\n"
    "\n"
    "exit status: 0 written; 1 the manifest has mistakes (each is named, nothing is written);\n"
    "2 wrong usage or an input/output failure\n",
    RunBuild};

}  // namespace qrl::tool
