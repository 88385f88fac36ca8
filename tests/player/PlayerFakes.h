#pragma once
// Scripted stand-ins for the player's platform services.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "elements/QtTextMeasurer.h"
#include "player/TCPlayerForm.h"
#include "player/TMailer.h"
#include "player/TPrompts.h"
#include "player/TSettingsStore.h"
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

  QStringList confirmQuestions;
  std::deque<bool> confirmAnswers;  // the Yes/No answers in turn; none left: No
  bool Confirm(const QString& question) override {
    confirmQuestions << question;
    if (confirmAnswers.empty()) return false;
    const bool answer = confirmAnswers.front();
    confirmAnswers.pop_front();
    return answer;
  }

  // The Options dialog: edits the values it is shown and answers OK, or answers Cancel.
  std::function<void(TPreferences&)> editOptions;
  bool optionsOk = true;
  int optionsShown = 0;
  bool EditOptions(TPreferences& preferences) override {
    ++optionsShown;
    TPreferences edited = preferences;
    if (editOptions) editOptions(edited);
    if (optionsOk) preferences = edited;
    return optionsOk;
  }

  // The "Set Web Browser" dialog: each answer is an application entered and OK, or nothing for
  // Cancel; none left: Cancel.
  struct LinkQuestion {
    bool failed;
    QString file;
    QString shownApplication;
  };
  std::vector<LinkQuestion> linkQuestions;
  std::deque<std::optional<QString>> linkAnswers;
  bool AskLinkApplication(bool failed, const QString& file, QString& application) override {
    linkQuestions.push_back({failed, file, application});
    if (linkAnswers.empty() || !linkAnswers.front()) {
      if (!linkAnswers.empty()) linkAnswers.pop_front();
      return false;
    }
    application = *linkAnswers.front();
    linkAnswers.pop_front();
    return true;
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
  // Programs started, each with its one argument; programsThatStart lists the ones that start.
  std::vector<std::pair<QString, QString>> started;
  QStringList programsThatStart;
  bool StartProgram(const QString& program, const QString& argument) override {
    started.emplace_back(program, argument);
    return programsThatStart.contains(program);
  }
};

// The settings in memory; a missing section name is the product key itself.
class FakeSettings : public TSettingsStore {
 public:
  std::map<QString, std::map<QString, QString>> sections;
  int flushes = 0;
  std::optional<QString> Read(const QString& section, const QString& name) override {
    const auto s = sections.find(section);
    if (s == sections.end()) return std::nullopt;
    const auto v = s->second.find(name);
    if (v == s->second.end()) return std::nullopt;
    return v->second;
  }
  void Write(const QString& section, const QString& name, const QString& text) override {
    sections[section][name] = text;
  }
  void RemoveSection(const QString& section) override { sections.erase(section); }
  void Flush() override { ++flushes; }
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

// One of each scripted service, and the window's services made of them.
struct FakeServices {
  FakePrompts prompts;
  FakeSound sound;
  FakeUrls urls;
  FakeMailer mail;
  FakeSettings settings;
  TQtTextMeasurer measurer;

  TPlayerServices Services() { return {prompts, sound, urls, measurer, mail, settings}; }
};

}  // namespace qrl::test
