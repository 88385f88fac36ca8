#pragma once
// The window controls of windowed occurrences on the flyer panel: a hint area showing a web
// link's address as a tooltip, and a scrolling text with its own scroll bar. Both are disabled
// so that pointer shapes and clicks stay with the panel below.

#include <QImage>
#include <QScrollBar>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>

namespace qrl {

class TCKbOccurrence;
class TCKbOccTekst;
class TTextMeasurer;

// TCKbHintClick: an invisible area whose only behaviour is its tooltip.
class TCKbHintClick : public QWidget {
  Q_OBJECT
 public:
  TCKbHintClick(const QString& hint, QWidget* parent);
};

// TCKBScrollTekst: draws its placement's lines from the scroll position; scrolling an opaque
// text moves the pixels already drawn and paints only the uncovered strip.
class TCKBScrollTekst : public QWidget {
  Q_OBJECT
 public:
  TCKBScrollTekst(TCKbOccTekst& placement, const TTextMeasurer& measurer,
                  std::function<const QImage&()> pageBitmap, QWidget* parent);
  const QImage& Drawn() const { return drawn_; }
  ~TCKBScrollTekst() override;

  void ShowControl();
  void HideControl();
  void BuildScrollBar();
  QScrollBar* ScrollBar() const { return scrollBar_; }
  int LastPos() const { return lastPos_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // Whether drawn_ still matches the control's size and the screen's resolution.
  bool DrawnFits() const;
  void Scrolled(int position);

  TCKbOccTekst& placement_;
  QImage drawn_;  // what the control shows, at the screen's resolution; scrolling works on these pixels
  const TTextMeasurer& measurer_;
  std::function<const QImage&()> pageBitmap_;
  QScrollBar* scrollBar_ = nullptr;
  int lastPos_ = -1;
};

class TWindowedControls : public QObject {
  Q_OBJECT
 public:
  TWindowedControls(QWidget* panel, const TTextMeasurer& measurer, std::function<const QImage&()> pageBitmap);
  ~TWindowedControls() override;
  TWindowedControls(const TWindowedControls&) = delete;
  TWindowedControls& operator=(const TWindowedControls&) = delete;

  // Shows the occurrence's control, creating it (or re-creating it after a rescale) as needed.
  void Show(TCKbOccurrence* occurrence);
  void Hide(TCKbOccurrence* occurrence);
  void Clear();
  QWidget* ControlOf(const TCKbOccurrence* occurrence) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* panel_;
  const TTextMeasurer& measurer_;
  std::function<const QImage&()> pageBitmap_;
  std::map<const TCKbOccurrence*, QWidget*> controls_;
};

}  // namespace qrl
