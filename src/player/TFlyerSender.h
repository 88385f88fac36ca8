#pragma once
// Mailing the open flyer, as a flyer file or packed behind the kickstarter: which file goes
// out, preparing it, the question about an unsaved note, and handing it to the mail program.

#include <QString>
#include <functional>
#include <memory>

class QTemporaryDir;

namespace qrl {

class TMailer;
class TPrompts;

inline constexpr const char* kSendNoteQuestion =
    "Text in Note has changed. Do you wish to save changes before sending?";
inline constexpr const char* kMailFailedMessage = "Could not connect to MAPI server.";

// What sending needs of the window.
struct TSendHooks {
  std::function<QString()> FileName;  // the open flyer's file, asked again after Save As
  std::function<bool()> NoteModified;
  std::function<bool()> SaveAs;  // the Save As dialog; false when cancelled or failed
  // Writes the flyer with the note as it is shown now into a new plain flyer file.
  std::function<void(const QString& target)> WriteFlyerCopy;
};

class TFlyerSender {
 public:
  // kickstarterPath: empty when no kickstarter is installed. tempDirectory: where the folder of
  // prepared attachments is made; empty means the system's temporary folder.
  TFlyerSender(TPrompts& prompts, TMailer& mailer, QString kickstarterPath, QString tempDirectory = {});
  // Deletes the prepared attachments: the mail program reads them some time after it was
  // handed them, so they live as long as the player.
  ~TFlyerSender();
  TFlyerSender(const TFlyerSender&) = delete;
  TFlyerSender& operator=(const TFlyerSender&) = delete;

  const QString& KickstarterPath() const { return kickstarterPath_; }

  // Raises EQuireleafException when the kickstarter is wanted but missing; errors while
  // preparing the attachment propagate as well.
  void SendFlyer(bool withKickstarter, const TSendHooks& hooks);

  // The folder of prepared attachments (empty before the first one).
  QString AttachmentFolder() const;

 private:
  // A free name in the attachment folder for fileName with its extension changed.
  QString AttachmentTarget(const QString& fileName, const QString& extension);
  bool BuildKickstarter(const QString& flyer, const QString& target);
  void SendMail(const QString& attachment, bool isExecutable);

  TPrompts& prompts_;
  TMailer& mailer_;
  QString kickstarterPath_;
  QString tempDirectory_;
  std::unique_ptr<QTemporaryDir> folder_;
  // Mail results may arrive after this object is gone.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace qrl
