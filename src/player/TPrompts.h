#pragma once
// Message boxes and file dialogs: the window asks through this so that tests can answer.

#include <QString>
#include <QStringList>

#include "player/Preferences.h"

class QPrinter;
class QWidget;

namespace qrl {

enum class TAnswer { Yes, No, Cancel };

// What the Print dialog chose: the printer is set up; the pages are a range or all of them.
struct TPrintChoice {
  bool accepted = false;
  bool pageRange = false;
  int fromPage = 0;
  int toPage = 0;
};

class TPrompts {
 public:
  virtual ~TPrompts() = default;
  // A plain message box with one OK button, captioned with the application title.
  virtual void ShowMessage(const QString& text) = 0;
  // The Open dialog for flyers; the chosen existing file, or empty when cancelled.
  virtual QString OpenFlyerDialog(const QString& title, const QString& filter, const QString& directory) = 0;
  // A question with Yes and No; true for Yes.
  virtual bool Confirm(const QString& question) = 0;
  // The Options dialog over `preferences`; on OK they hold the user's choices and true returns.
  virtual bool EditOptions(TPreferences& preferences) = 0;
  // The "Set Web Browser" dialog: failed tells that launching `file` failed (an empty file hides
  // its row); `application` comes in as the stored one and holds the entered one on OK.
  virtual bool AskLinkApplication(bool failed, const QString& file, QString& application) = 0;
  // A question with Yes, No and Cancel, captioned with the application title.
  virtual TAnswer AskYesNoCancel(const QString& text) = 0;
  // The Save dialog for flyers, opened in directory with fileName proposed and the filter at
  // filterIndex (1-based) selected; asks before replacing a file. The chosen path, or empty
  // when cancelled.
  virtual QString SaveFlyerDialog(const QString& directory, const QString& fileName, const QStringList& filters,
                                  int filterIndex) = 0;
  // The Print dialog over printer, for pages minPage..maxPage with from and to preset to
  // currentPage; printing to a file is allowed.
  virtual TPrintChoice PrintDialog(QPrinter& printer, int minPage, int maxPage, int currentPage) = 0;
};

// Qt message boxes and file dialogs over a parent window.
class TQtPrompts : public TPrompts {
 public:
  explicit TQtPrompts(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }

  void ShowMessage(const QString& text) override;
  QString OpenFlyerDialog(const QString& title, const QString& filter, const QString& directory) override;
  bool Confirm(const QString& question) override;
  bool EditOptions(TPreferences& preferences) override;
  bool AskLinkApplication(bool failed, const QString& file, QString& application) override;
  TAnswer AskYesNoCancel(const QString& text) override;
  QString SaveFlyerDialog(const QString& directory, const QString& fileName, const QStringList& filters,
                          int filterIndex) override;
  TPrintChoice PrintDialog(QPrinter& printer, int minPage, int maxPage, int currentPage) override;

 private:
  QWidget* parent_;
};

}  // namespace qrl
