// quireleaf: the player.

#include <QApplication>
#include <cstdlib>
#include <QIcon>
#include <exception>
#include <functional>

#include "document/Placeholder.h"
#include "elements/QtTextMeasurer.h"
#include "format/TTempFiles.h"
#include "player/ForwardLaunch.h"
#include "player/TCPlayerForm.h"
#include "player/TIniSettingsStore.h"
#include "player/TInstanceChannel.h"
#include "player/TMailer.h"
#include "player/TPrompts.h"
#include "player/TSoundPlayer.h"
#include "player/TTerminationSignals.h"
#include "player/TUrlOpener.h"

namespace {

// Exceptions that leave an event handler reach the window's handler instead of ending the program.
class TPlayerApplication : public QApplication {
 public:
  using QApplication::QApplication;
  std::function<void(const std::exception&)> OnException;

  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
      if (OnException) OnException(e);
    }
    return false;
  }
};

}  // namespace

int main(int argc, char* argv[]) {
  TPlayerApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("quireleaf"));
  // The icon installed with the desktop files; none when the player runs from the build.
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("quireleaf")));
  // No display name: the window system would append it to every caption, and the caption is
  // the flyer's title alone.
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);

  qrl::TInstanceChannel channel(qrl::TInstanceChannel::NameFor(QCoreApplication::applicationFilePath()));
  if (qrl::ForwardToRunningPlayer(channel, arguments)) return 0;
  // Files of players that were killed before they could clean up.
  qrl::TTempFiles::RemoveOrphans();

  qrl::TQtPrompts prompts;
  qrl::TQtSoundPlayer sound;
  qrl::TDesktopUrlOpener urls;
  qrl::TQtTextMeasurer measurer;
  qrl::TIniSettingsStore settings;
  qrl::TXdgEmailMailer mailer;
  qrl::TCPlayerForm form({prompts, sound, urls, measurer, mailer, settings}, arguments);
  form.PlaceholderFolder = qrl::PlaceholderFolderOf(std::getenv(qrl::kPlaceholderDirVariable));
  prompts.SetParent(&form);
  app.OnException = [&form](const std::exception& e) { form.HandleException(e); };
  // Requests are carried out from the event loop, after their sender has been answered.
  QObject::connect(&channel, &qrl::TInstanceChannel::MacroReceived, &form, &qrl::TCPlayerForm::SystemExecuteMacro,
                   Qt::QueuedConnection);
  channel.Listen();
  qrl::TTerminationSignals termination;
  QObject::connect(&termination, &qrl::TTerminationSignals::Received, &form, &qrl::TCPlayerForm::Terminate);
  form.show();
  try {
    form.StartUp();
  } catch (const std::exception& e) {
    form.HandleException(e);
  }
  return QApplication::exec();
}
