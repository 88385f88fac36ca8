#pragma once
// The Options dialog: the web browser and the presentation preferences.

#include <QDialog>

#include "player/Preferences.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qrl {

class TFormOptions : public QDialog {
  Q_OBJECT

 public:
  explicit TFormOptions(QWidget* parent = nullptr);

  // The controls from the preferences, and back (LastFlyerDir is not the dialog's).
  void SetValues(const TPreferences& preferences);
  void GetValues(TPreferences& preferences) const;

  QGroupBox* GroupBox1;
  QLabel* Label1;
  QLineEdit* edtBrowser;
  QPushButton* btnBrowse;
  QGroupBox* GroupBox2;
  QCheckBox* cbxPresentation;
  QLabel* Label2;
  QCheckBox* cbxPresFullScr;
  QCheckBox* cbxPresHideMenu;
  QCheckBox* cbxPresHideNavBar;
  QPushButton* Button1;
  QPushButton* Button2;

 private:
  void btnBrowseClick();
};

}  // namespace qrl
