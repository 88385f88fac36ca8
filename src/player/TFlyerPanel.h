#pragma once
// The flyer area (pnlFlyer) with its paint box (pbxFlyer). The paint box lets pointer events
// through to the panel, where the window hit-tests them.

#include <QWidget>
#include <functional>

class QPainter;

namespace qrl {

class TPaintBox : public QWidget {
  Q_OBJECT
 public:
  explicit TPaintBox(QWidget* parent);
  std::function<void(QPainter&)> OnPaint;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

class TFlyerPanel : public QWidget {
  Q_OBJECT

 public:
  explicit TFlyerPanel(QWidget* parent = nullptr);

  TPaintBox* pbxFlyer;
  void SetColour(const QColor& colour);

 signals:
  void MouseDown(QWidget* sender, QMouseEvent* event);
  void MouseMove(QMouseEvent* event);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
};

}  // namespace qrl
