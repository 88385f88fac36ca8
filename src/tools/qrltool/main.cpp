// qrltool: inspect, render, extract, author, pack and unpack flyers; encode and decode FIF pictures.

#include <QGuiApplication>
#include <QString>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <exception>
#include <iostream>

#include "tools/qrltool/ArgumentParser.h"
#include "tools/qrltool/Command.h"

namespace {

void PrintHelp() {
  std::cout << "usage: qrltool COMMAND [OPTIONS] ARGS\n\ncommands:\n";
  for (const auto& c : qrl::tool::Commands()) std::cout << "  " << c.Name << "\t" << c.Summary << "\n";
  std::cout << "\n\"qrltool COMMAND --help\" describes a command's options.\n";
}

}  // namespace

// Qt's own notices (a missing runtime folder under the offscreen platform) are not the tool's output.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << message.toStdString() << "\n";
}

// Qt wants a private runtime folder; without XDG_RUNTIME_DIR it would leave one in the temporary
// folder, so the tool lends it one for the run and removes it afterwards.
class TRuntimeFolder {
 public:
  TRuntimeFolder() {
    if (qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")) return;
    std::string pattern = (std::filesystem::temp_directory_path() / "qrltool-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) return;
    path_ = pattern;
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(path_));
  }
  ~TRuntimeFolder() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  TRuntimeFolder(const TRuntimeFolder&) = delete;
  TRuntimeFolder& operator=(const TRuntimeFolder&) = delete;

 private:
  std::string path_;
};

int main(int argc, char** argv) {
  qInstallMessageHandler(QuietQtMessages);
  const TRuntimeFolder runtimeFolder;
  // Text measuring and rendering need fonts but never a display.
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int qtArgc = 1;
  QGuiApplication app(qtArgc, argv);

  if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
    PrintHelp();
    return argc < 2 ? qrl::tool::kExitUsage : qrl::tool::kExitOk;
  }
  const std::string name = argv[1];
  for (const auto& command : qrl::tool::Commands()) {
    if (name != command.Name) continue;
    qrl::tool::Arguments args(argv + 2, argv + argc);
    for (const auto& a : args)
      if (a == "--help" || a == "-h") {
        std::cout << command.Usage;
        return qrl::tool::kExitOk;
      }
    try {
      return command.Run(args);
    } catch (const qrl::tool::EUsage& e) {
      std::cerr << "qrltool " << name << ": " << e.what() << "\n" << command.Usage;
      return qrl::tool::kExitUsage;
    } catch (const std::exception& e) {
      std::cerr << "qrltool " << name << ": " << e.what() << "\n";
      return qrl::tool::kExitUsage;
    }
  }
  std::cerr << "qrltool: unknown command \"" << name << "\"\n";
  PrintHelp();
  return qrl::tool::kExitUsage;
}
