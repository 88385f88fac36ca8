#pragma once
// The Info window: the flyer's information sections in a read-only, selectable list.

#include <QDialog>

#include "document/TTextSection.h"

class QPlainTextEdit;
class QPushButton;

namespace qrl {

class TFlyerInfoForm : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 427;
  static constexpr int kClientHeight = 256;

  explicit TFlyerInfoForm(QWidget* parent = nullptr);

  QPlainTextEdit* memInfo;
  QPushButton* btnOk;

  // Fills the list from the sections (InfoLines).
  void FillInfo(const TTextSections& sections);
};

}  // namespace qrl
