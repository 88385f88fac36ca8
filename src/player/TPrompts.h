#pragma once
// Message boxes and file dialogs: the window asks through this so that tests can answer.

#include <QString>

class QWidget;

namespace qrl {

enum class TAnswer { Yes, No, Cancel };

class TPrompts {
 public:
  virtual ~TPrompts() = default;
  // A plain message box with one OK button, captioned with the application title.
  virtual void ShowMessage(const QString& text) = 0;
  // The Open dialog for flyers; the chosen existing file, or empty when cancelled.
  virtual QString OpenFlyerDialog(const QString& title, const QString& filter, const QString& directory) = 0;
  // A question with Yes, No and Cancel, captioned with the application title.
  virtual TAnswer AskYesNoCancel(const QString& text) = 0;
};

// Qt message boxes and file dialogs over a parent window.
class TQtPrompts : public TPrompts {
 public:
  explicit TQtPrompts(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }

  void ShowMessage(const QString& text) override;
  QString OpenFlyerDialog(const QString& title, const QString& filter, const QString& directory) override;
  TAnswer AskYesNoCancel(const QString& text) override;

 private:
  QWidget* parent_;
};

}  // namespace qrl
