// quireleaf: the player.

#include <QApplication>
#include <QIcon>
#include <exception>
#include <functional>

#include "elements/QtTextMeasurer.h"
#include "player/ForwardLaunch.h"
#include "player/TCPlayerForm.h"
#include "player/TInstanceChannel.h"
#include "player/TMailer.h"
#include "player/TPrompts.h"
#include "player/TSoundPlayer.h"
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

  qrl::TQtPrompts prompts;
  qrl::TQtSoundPlayer sound;
  qrl::TDesktopUrlOpener urls;
  qrl::TQtTextMeasurer measurer;
  qrl::TXdgEmailMailer mailer;
  qrl::TCPlayerForm form({prompts, sound, urls, measurer, mailer}, arguments);
  prompts.SetParent(&form);
  app.OnException = [&form](const std::exception& e) { form.HandleException(e); };
  // Requests are carried out from the event loop, after their sender has been answered.
  QObject::connect(&channel, &qrl::TInstanceChannel::MacroReceived, &form, &qrl::TCPlayerForm::SystemExecuteMacro,
                   Qt::QueuedConnection);
  channel.Listen();
  form.show();
  try {
    form.StartUp();
  } catch (const std::exception& e) {
    form.HandleException(e);
  }
  return QApplication::exec();
}
