#pragma once
// The "Set Web Browser" dialog: asks for the application that opens the about windows' links.

#include <QDialog>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace qrl {

inline constexpr int kWebOpenClientWidth = 418;
inline constexpr int kWebOpenClientHeight = 141;

class TFormWebOpen : public QDialog {
  Q_OBJECT

 public:
  // failed: launching `file` has failed already; an empty file hides the file row.
  TFormWebOpen(bool failed, const QString& file, QWidget* parent = nullptr);

  QLabel* lbl1;
  QLabel* lbl2;
  QWidget* pnlmainfile;
  QLabel* Label3;
  QLabel* pnlFile;
  QLabel* Label4;
  QLineEdit* edtApplication;
  QPushButton* btnBrowse;
  QPushButton* btnOk;
  QPushButton* btnCancel;

 protected:
  void showEvent(QShowEvent* event) override;  // FormShow

 private:
  void btnBrowseClick();

  bool failed_;
  bool noFile_;
};

}  // namespace qrl
