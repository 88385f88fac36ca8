#pragma once
// The progress window while pages print: the flyer's file, the page being printed, and Cancel.

#include <QDialog>

class QLabel;
class QPushButton;

namespace qrl {

class TFormPrinting : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 302;
  static constexpr int kClientHeight = 89;

  // Shown at once, modeless, above its owner.
  explicit TFormPrinting(QWidget* owner);

  QLabel* pnlFile;
  QLabel* pnlPage;
  QPushButton* btnCancel;
  bool Cancelled = false;

  void SetProgressFile(const QString& text);
  void SetProgressPage(int number);

 protected:
  void reject() override;  // Esc and the window's close: the same as Cancel
};

}  // namespace qrl
