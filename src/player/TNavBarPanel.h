#pragma once
// The nav bar (pnlButtons): the logo, the creator label and the six speed buttons, laid out from
// the bar's right edge.

#include <QLabel>
#include <QWidget>

#include "player/CommandState.h"
#include "windows/TWSpeedButton.h"

namespace qrl {

class TClickableLabel : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;
 signals:
  void clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
};

class TNavBarPanel : public QWidget {
  Q_OBJECT

 public:
  explicit TNavBarPanel(QWidget* parent = nullptr);

  TClickableLabel* imgLogo;
  TClickableLabel* lblCreator;
  TWSpeedButton* wsbPageDown;
  TWSpeedButton* wsbPageUp;
  TWSpeedButton* wsbMute;
  TWSpeedButton* wsbNote;
  TWSpeedButton* wsbInfo;
  TWSpeedButton* wsbClose;

  // Shows and enables the buttons as the command state decides.
  void ApplyButtonState(const TCommandState& c);
  // Sets the bar's colour (the flyer may turn it black).
  void SetColour(const QColor& colour);

 signals:
  void MouseDown(QWidget* sender, QMouseEvent* event);
  // "What's this?" was chosen on a button with this help context.
  void HelpRequested(int helpContext);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void LayOut();  // pnlButtonsResize
  void DrawPictures();
};

}  // namespace qrl
