#pragma once
// Scripted stand-ins for the player's platform services.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <utility>
#include <vector>

#include "player/TMailer.h"
#include "player/TPrompts.h"
#include "player/TSoundPlayer.h"
#include "player/TUrlOpener.h"

namespace qrl::test {

class FakePrompts : public TPrompts {
 public:
  QStringList messages;
  std::deque<QString> dialogAnswers;  // the Open dialog's answers in turn; empty: cancelled
  int dialogsShown = 0;
  QString lastDialogDirectory;
  std::function<void()> onDialog;  // runs while the dialog is "open"
  QStringList questions;
  std::deque<TAnswer> answers;  // the questions' answers in turn; none left: Cancel
  // The Save dialog: its set-up as last shown, and its answers in turn (none left: cancelled).
  struct SaveDialog {
    QString directory, fileName;
    QStringList filters;
    int filterIndex = 0;
  };
  std::vector<SaveDialog> saveDialogs;
  std::deque<QString> saveAnswers;
  // The Print dialog: prepares the printer (a PDF file, say) and answers.
  std::function<TPrintChoice(QPrinter&, int minPage, int maxPage, int currentPage)> onPrintDialog;

  void ShowMessage(const QString& text) override { messages << text; }
  QString OpenFlyerDialog(const QString&, const QString&, const QString& directory) override {
    ++dialogsShown;
    lastDialogDirectory = directory;
    if (onDialog) onDialog();
    if (dialogAnswers.empty()) return {};
    QString answer = dialogAnswers.front();
    dialogAnswers.pop_front();
    return answer;
  }
  TAnswer AskYesNoCancel(const QString& text) override {
    questions << text;
    if (answers.empty()) return TAnswer::Cancel;
    const TAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }
  QString SaveFlyerDialog(const QString& directory, const QString& fileName, const QStringList& filters,
                          int filterIndex) override {
    saveDialogs.push_back({directory, fileName, filters, filterIndex});
    if (saveAnswers.empty()) return {};
    QString answer = saveAnswers.front();
    saveAnswers.pop_front();
    return answer;
  }
  TPrintChoice PrintDialog(QPrinter& printer, int minPage, int maxPage, int currentPage) override {
    return onPrintDialog ? onPrintDialog(printer, minPage, maxPage, currentPage) : TPrintChoice{};
  }
};

class FakeSound : public TSoundPlayer {
 public:
  std::vector<std::pair<QString, bool>> played;
  int stops = 0;
  void Play(const QString& waveFile, bool loop) override { played.emplace_back(waveFile, loop); }
  void Stop() override { ++stops; }
};

class FakeUrls : public TUrlOpener {
 public:
  QStringList opened;
  bool succeed = true;
  bool OpenAddress(const QString& address) override {
    opened << address;
    return succeed;
  }
};

// Records each mail; the result is reported at once.
class FakeMailer : public TMailer {
 public:
  struct Mail {
    QString attachment;
    QString body;
    QByteArray attachmentBytes;  // read when the mail was handed over
  };
  std::vector<Mail> sent;
  bool succeed = true;
  void SendMail(const QString& attachment, const QString& body, TDone done) override {
    QFile file(attachment);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly)) bytes = file.readAll();
    sent.push_back({attachment, body, bytes});
    done(succeed);
  }
};

}  // namespace qrl::test
