#include "player/TFlyerSender.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "document/FlyerCopy.h"
#include "format/QuireleafException.h"
#include "format/TFooterRes.h"
#include "player/AttachmentNote.h"
#include "player/TMailer.h"
#include "player/TPrompts.h"

namespace qrl {
namespace {

bool IsExecutableName(const QString& path) { return path.endsWith(QStringLiteral(".EXE"), Qt::CaseInsensitive); }

}  // namespace

TFlyerSender::TFlyerSender(TPrompts& prompts, TMailer& mailer, QString kickstarterPath, QString tempDirectory)
    : prompts_(prompts),
      mailer_(mailer),
      kickstarterPath_(std::move(kickstarterPath)),
      tempDirectory_(std::move(tempDirectory)) {}

TFlyerSender::~TFlyerSender() = default;

QString TFlyerSender::AttachmentFolder() const { return folder_ ? folder_->path() : QString(); }

QString TFlyerSender::AttachmentTarget(const QString& fileName, const QString& extension) {
  // A folder of our own: names in the shared temporary folder can be foreseen and taken by others.
  if (!folder_) {
    const QString base = tempDirectory_.isEmpty() ? QDir::tempPath() : tempDirectory_;
    folder_ = std::make_unique<QTemporaryDir>(QDir(base).filePath(QStringLiteral("QRLmail-XXXXXX")));
    if (!folder_->isValid()) {
      folder_.reset();
      throw EQuireleafException("Could not create a folder for the attachment in " + base.toStdString());
    }
  }
  const QString name = QFileInfo(fileName).completeBaseName() + extension;
  const std::string wanted = QDir(folder_->path()).filePath(name).toStdString();
  return QString::fromStdString(MakeUniqueFileName(wanted));
}

bool TFlyerSender::BuildKickstarter(const QString& flyer, const QString& target) {
  try {
    TFooterRes footer(kickstarterPath_.toStdString(), false, target.toStdString());
    if (!footer.AddFile(flyer.toStdString())) {
      footer.Finish();
      QFile::remove(target);
      return false;
    }
    footer.Finish();
  } catch (...) {
    QFile::remove(target);
    throw;
  }
  return true;
}

void TFlyerSender::SendFlyer(bool withKickstarter, const TSendHooks& hooks) {
  if (withKickstarter && kickstarterPath_.isEmpty()) throw EQuireleafException(kNoKickstarterMessage);
  if (hooks.NoteModified()) {
    switch (prompts_.AskYesNoCancel(QString::fromLatin1(kSendNoteQuestion))) {
      case TAnswer::Cancel: return;
      case TAnswer::Yes:
        if (!hooks.SaveAs()) return;
        break;
      case TAnswer::No: break;
    }
  }
  const QString fileName = hooks.FileName();
  QString attachment = fileName;
  if (withKickstarter && !IsExecutableName(fileName)) {
    attachment = AttachmentTarget(fileName, QStringLiteral(".EXE"));
    if (!BuildKickstarter(fileName, attachment)) {
      prompts_.ShowMessage(QStringLiteral("Could not write to ") + attachment);
      return;
    }
  } else if (!withKickstarter && IsExecutableName(fileName)) {
    attachment = AttachmentTarget(fileName, QStringLiteral(".QRL"));
    hooks.WriteFlyerCopy(attachment);
  }
  SendMail(attachment, IsExecutableName(attachment));
}

void TFlyerSender::SendMail(const QString& attachment, bool isExecutable) {
  std::weak_ptr<bool> alive = alive_;
  TPrompts& prompts = prompts_;
  mailer_.SendMail(QFileInfo(attachment).absoluteFilePath(), QString::fromLatin1(AttachmentNote(isExecutable)),
                   [alive, &prompts](bool succeeded) {
                     if (succeeded || alive.expired()) return;
                     prompts.ShowMessage(QString::fromLatin1(kMailFailedMessage));
                   });
}

}  // namespace qrl
