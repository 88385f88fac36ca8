// qrltool: inspect, render, extract, author, pack and unpack flyers; encode and decode FIF pictures.

#include <QGuiApplication>
#include <QString>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "tools/qrltool/CommandLine.h"

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
  const QGuiApplication app(qtArgc, argv);
  return qrl::tool::RunCommandLine(std::vector<std::string>(argv + 1, argv + argc));
}
