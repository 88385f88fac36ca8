#include "player/TWindowedControls.h"

#include <QCoreApplication>
#include <QPaintEvent>
#include <QWheelEvent>
#include <QPainter>

#include "elements/QtTextMeasurer.h"
#include "elements/TCKbClick.h"
#include "elements/TCKbTekst.h"
#include "player/ScrollRange.h"
#include "render/DrawTekst.h"

namespace qrl {
namespace {

constexpr int kScrollBarWidth = 13;

QRect RectOf(const TCKbOccurrence& o) { return QRect(o.Left, o.Top, o.Width, o.Height); }

// The controls are disabled, so moves, clicks and wheel turns over them go on to the flyer panel;
// but a move without a button reaches a widget (and from there its parent) only when it tracks
// the mouse, so they do, or the panel would never see the pointer over them.
void PassPointerToPanel(QWidget* control) {
  control->setEnabled(false);
  control->setMouseTracking(true);
}

}  // namespace

TCKbHintClick::TCKbHintClick(const QString& hint, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TCKbHintClick"));
  setToolTip(hint);
  PassPointerToPanel(this);
}

TCKBScrollTekst::TCKBScrollTekst(TCKbOccTekst& placement, const TTextMeasurer& measurer,
                                 std::function<const QImage&()> pageBitmap, QWidget* parent)
    : QWidget(parent), placement_(placement), measurer_(measurer), pageBitmap_(std::move(pageBitmap)) {
  setObjectName(QStringLiteral("TCKBScrollTekst"));
  PassPointerToPanel(this);
  setGeometry(RectOf(placement));
}

TCKBScrollTekst::~TCKBScrollTekst() { delete scrollBar_; }

void TCKBScrollTekst::ShowControl() {
  // The page under the text may have changed: the next paint starts again from the page.
  drawn_ = QImage();
  update();
  show();
  if (scrollBar_ == nullptr) BuildScrollBar();
  scrollBar_->show();
  scrollBar_->raise();
}

void TCKBScrollTekst::HideControl() {
  hide();
  if (scrollBar_ != nullptr) scrollBar_->hide();
}

void TCKBScrollTekst::BuildScrollBar() {
  delete scrollBar_;
  const int lineHeight = measurer_.LineHeight(placement_.Tekst().Font);
  // The scroll bar is a sibling on the panel: the text control itself takes no input.
  scrollBar_ = new QScrollBar(Qt::Vertical, parentWidget());
  scrollBar_->setObjectName(QStringLiteral("ScrollBar"));
  // Clicked, the bar takes the arrow and page keys; a click on the page gives them back.
  scrollBar_->setFocusPolicy(Qt::ClickFocus);
  scrollBar_->setGeometry(x() + width() - kScrollBarWidth, y(), kScrollBarWidth, height());
  const TScrollRange range = ScrollRangeFor(static_cast<int>(placement_.Lines.size()), lineHeight, height());
  scrollBar_->setRange(0, range.maximum);
  scrollBar_->setValue(0);
  scrollBar_->setSingleStep(range.smallChange);
  scrollBar_->setPageStep(range.largeChange);
  lastPos_ = -1;
  drawn_ = QImage();
  update();
  connect(scrollBar_, &QScrollBar::valueChanged, this, &TCKBScrollTekst::Scrolled);
  if (isVisible()) scrollBar_->show();
}

bool TCKBScrollTekst::DrawnFits() const {
  return drawn_.deviceIndependentSize() == QSizeF(size()) && drawn_.devicePixelRatio() == devicePixelRatioF();
}

void TCKBScrollTekst::Scrolled(int position) {
  if (!DrawnFits()) return;  // the next paint draws everything
  const QImage& page = pageBitmap_();
  QPainter p(&drawn_);
  DrawTekst(placement_, p, position, kScrollBarWidth + 1, 0, 0, lastPos_, page.isNull() ? nullptr : &page);
  lastPos_ = position;
  update();
}

void TCKBScrollTekst::paintEvent(QPaintEvent*) {
  if (!DrawnFits()) {
    // Drawn at the screen's resolution, as the page under it is, so that the text is as sharp.
    const double deviceScale = devicePixelRatioF();
    drawn_ = QImage((QSizeF(size()) * deviceScale).toSize(), QImage::Format_RGB32);
    drawn_.setDevicePixelRatio(deviceScale);
    const QImage& page = pageBitmap_();
    drawn_.fill(Qt::white);
    if (!page.isNull()) {
      QPainter under(&drawn_);
      const double pageScale = page.devicePixelRatio();
      under.drawImage(QPoint(0, 0), page, QRectF(QPointF(pos()) * pageScale, QSizeF(size()) * pageScale));
    }
    const int position = scrollBar_ != nullptr ? scrollBar_->value() : 0;
    QPainter p(&drawn_);
    DrawTekst(placement_, p, position, kScrollBarWidth + 1, 0, 0, kFullPaint, page.isNull() ? nullptr : &page);
    lastPos_ = position;
  }
  QPainter p(this);
  p.drawImage(QPoint(0, 0), drawn_);
}

TWindowedControls::TWindowedControls(QWidget* panel, const TTextMeasurer& measurer,
                                     std::function<const QImage&()> pageBitmap)
    : panel_(panel), measurer_(measurer), pageBitmap_(std::move(pageBitmap)) {}

bool TWindowedControls::eventFilter(QObject* watched, QEvent* event) {
  // The wheel over a scrolling text turns its bar: the text itself, disabled, takes no input.
  auto* scroll = qobject_cast<TCKBScrollTekst*>(watched);
  if (event->type() != QEvent::Wheel || scroll == nullptr || scroll->ScrollBar() == nullptr) return false;
  QCoreApplication::sendEvent(scroll->ScrollBar(), event);
  return true;
}

TWindowedControls::~TWindowedControls() { Clear(); }

void TWindowedControls::Show(TCKbOccurrence* occurrence) {
  auto it = controls_.find(occurrence);
  // A rescaled placement gets a new control of its new size.
  if (it != controls_.end() && it->second->geometry() != RectOf(*occurrence)) {
    delete it->second;
    controls_.erase(it);
    it = controls_.end();
  }
  if (it == controls_.end()) {
    QWidget* control = nullptr;
    if (auto* click = dynamic_cast<TCKbOccClick*>(occurrence)) {
      control = new TCKbHintClick(FromCp1252(click->LinkText), panel_);
      control->setGeometry(RectOf(*occurrence));
    } else if (auto* text = dynamic_cast<TCKbOccTekst*>(occurrence)) {
      control = new TCKBScrollTekst(*text, measurer_, pageBitmap_, panel_);
      control->installEventFilter(this);
    } else {
      return;
    }
    it = controls_.emplace(occurrence, control).first;
  }
  it->second->raise();
  if (auto* scroll = qobject_cast<TCKBScrollTekst*>(it->second))
    scroll->ShowControl();
  else
    it->second->show();
}

void TWindowedControls::Hide(TCKbOccurrence* occurrence) {
  const auto it = controls_.find(occurrence);
  if (it == controls_.end()) return;
  if (auto* scroll = qobject_cast<TCKBScrollTekst*>(it->second))
    scroll->HideControl();
  else
    it->second->hide();
}

void TWindowedControls::Clear() {
  for (auto& [occurrence, control] : controls_) delete control;
  controls_.clear();
}

QWidget* TWindowedControls::ControlOf(const TCKbOccurrence* occurrence) const {
  const auto it = controls_.find(occurrence);
  return it == controls_.end() ? nullptr : it->second;
}

}  // namespace qrl
