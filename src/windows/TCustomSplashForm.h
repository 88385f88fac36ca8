#pragma once
// The custom splash window: the start-up and loading splash (no border, no about panel) and the
// custom about window (with its about panel and OK button).

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

namespace qrl {

class TCustomSplashForm : public QDialog {
  Q_OBJECT

 public:
  TCustomSplashForm(const QString& version, const QString& company, bool withAboutPanel, QWidget* parent = nullptr);

  // The caption the Help menu shows for the custom about window.
  static QString AboutCaption();

  QLabel* WebSiteLabel() const { return lblWebSite_; }

 signals:
  void LinkActivated(const QString& address);

 private:
  QLabel* lblWebSite_ = nullptr;
};

// The product's web site address.
QString ProductWebSite();

}  // namespace qrl
