#include "player/TMailer.h"

#include <QProcess>
#include <memory>

namespace qrl {

void TXdgEmailMailer::SendMail(const QString& attachment, const QString& body, TDone done) {
  auto* process = new QProcess(this);
  process->setProgram(QStringLiteral("xdg-email"));
  // The tool turns every line feed into the mail's CR LF itself; a CR of ours would be doubled.
  QString lines = body;
  lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  process->setArguments({QStringLiteral("--attach"), attachment, QStringLiteral("--body"), lines});
  process->setProcessChannelMode(QProcess::ForwardedChannels);
  // Exactly one of the two signals ends the request: a start failure, or the tool's exit.
  auto finish = std::make_shared<TDone>(std::move(done));
  connect(process, &QProcess::errorOccurred, this, [process, finish](QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart || !*finish) return;
    const TDone report = std::exchange(*finish, nullptr);
    process->deleteLater();
    report(false);
  });
  connect(process, &QProcess::finished, this, [process, finish](int exitCode, QProcess::ExitStatus status) {
    if (!*finish) return;
    const TDone report = std::exchange(*finish, nullptr);
    process->deleteLater();
    report(status == QProcess::NormalExit && exitCode == 0);
  });
  process->setStandardInputFile(QProcess::nullDevice());
  process->start();
}

}  // namespace qrl
