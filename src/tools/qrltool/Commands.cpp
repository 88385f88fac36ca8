#include "tools/qrltool/Command.h"

namespace qrl::tool {

extern const TCommand kInfoCommand;
extern const TCommand kExtractCommand;
extern const TCommand kNoteCommand;
extern const TCommand kPackCommand;
extern const TCommand kUnpackCommand;
extern const TCommand kFifCommand;
extern const TCommand kRenderCommand;
extern const TCommand kBuildCommand;
extern const TCommand kExportCommand;

const std::vector<TCommand>& Commands() {
  static const std::vector<TCommand> commands = {kInfoCommand, kRenderCommand, kExtractCommand, kNoteCommand, kBuildCommand, kExportCommand, kPackCommand,
                                                 kUnpackCommand, kFifCommand};
  return commands;
}

}  // namespace qrl::tool
