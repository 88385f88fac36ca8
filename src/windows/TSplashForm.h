#pragma once
// The about window of the player, shown by a click on the nav bar's logo.

#include <QDialog>
#include <QTimer>

class QLabel;
class QPushButton;

namespace qrl {

inline constexpr int kSplashFormClientWidth = 320;
inline constexpr int kSplashFormClientHeight = 316;

class TSplashForm : public QDialog {
  Q_OBJECT

 public:
  explicit TSplashForm(const QString& version, QWidget* parent = nullptr);

  QLabel* imgSplash;
  QLabel* lblVersion;
  QWidget* pnlAbout;
  QLabel* lblWebSite;
  QPushButton* btnClose;
  // Disabled; when it fires it disables itself and hides the window.
  QTimer tmrHide;

 signals:
  // The web-site label was clicked.
  void LinkActivated(const QString& address);
};

}  // namespace qrl
