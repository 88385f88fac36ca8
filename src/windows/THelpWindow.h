#pragma once
// The window that shows the user guide shipped with the player.

#include <QWidget>

class QTextBrowser;

namespace qrl {

class THelpWindow : public QWidget {
  Q_OBJECT

 public:
  explicit THelpWindow(QWidget* parent = nullptr);

  // Shows the guide at the topic of the help context and brings the window to the front.
  void ShowTopic(int context);
  QTextBrowser* Browser() const { return browser_; }

 private:
  QTextBrowser* browser_;
  bool placed_ = false;
};

}  // namespace qrl
