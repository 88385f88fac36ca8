#include "player/TWindowedControls.h"

#include <QPaintEvent>
#include <QPainter>

#include "elements/QtTextMeasurer.h"
#include "elements/TCKbClick.h"
#include "elements/TCKbTekst.h"
#include "player/ScrollRange.h"

namespace qrl {
namespace {

constexpr int kScrollBarWidth = 13;

QColor ToQColor(TColor c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

QRect RectOf(const TCKbOccurrence& o) { return QRect(o.Left, o.Top, o.Width, o.Height); }

}  // namespace

TCKbHintClick::TCKbHintClick(const QString& hint, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("TCKbHintClick"));
  setToolTip(hint);
  setEnabled(false);
}

TCKBScrollTekst::TCKBScrollTekst(TCKbOccTekst& placement, const TTextMeasurer& measurer,
                                 std::function<const QImage&()> pageBitmap, QWidget* parent)
    : QWidget(parent), placement_(placement), measurer_(measurer), pageBitmap_(std::move(pageBitmap)) {
  setObjectName(QStringLiteral("TCKBScrollTekst"));
  setEnabled(false);
  setGeometry(RectOf(placement));
}

TCKBScrollTekst::~TCKBScrollTekst() { delete scrollBar_; }

void TCKBScrollTekst::ShowControl() {
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
  scrollBar_->setGeometry(x() + width() - kScrollBarWidth, y(), kScrollBarWidth, height());
  const TScrollRange range = ScrollRangeFor(static_cast<int>(placement_.Lines.size()), lineHeight, height());
  scrollBar_->setRange(0, range.maximum);
  scrollBar_->setValue(0);
  scrollBar_->setSingleStep(range.smallChange);
  scrollBar_->setPageStep(range.largeChange);
  lastPos_ = -1;
  connect(scrollBar_, &QScrollBar::valueChanged, this, &TCKBScrollTekst::Scrolled);
  if (isVisible()) scrollBar_->show();
}

void TCKBScrollTekst::Scrolled(int position) {
  if (lastPos_ >= 0 && placement_.Tekst().Opaque) {
    // Move what is already drawn; Qt repaints only the strip that comes into view.
    scroll(0, lastPos_ - position, QRect(0, 0, width() - kScrollBarWidth - 1, height()));
  } else {
    update();
  }
  lastPos_ = position;
}

void TCKBScrollTekst::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  p.setClipRegion(event->region());
  const TCKbTekst& element = placement_.Tekst();
  const int textWidth = width() - (kScrollBarWidth + 1);
  if (element.Opaque) {
    p.fillRect(rect(), ToQColor(element.BackColour));
  } else {
    const QImage& page = pageBitmap_();
    if (!page.isNull()) p.drawImage(QPoint(0, 0), page, geometry());
  }
  const int position = scrollBar_ != nullptr ? scrollBar_->value() : 0;
  const int lineHeight = measurer_.LineHeight(element.Font);
  p.setFont(ToQFont(element.Font));
  p.setPen(ToQColor(element.Font.Color));
  const int alignment = element.Alignment == taRight    ? Qt::AlignRight
                        : element.Alignment == taCentre ? Qt::AlignHCenter
                                                        : Qt::AlignLeft;
  int top = 1 - position;
  for (const std::string& line : placement_.Lines) {
    if (top + lineHeight > 0 && top < height()) {
      std::string_view shown(line);
      if (!shown.empty() && shown.back() == kParagraphEnd) shown.remove_suffix(1);
      p.drawText(QRect(2, top, textWidth - 3, lineHeight), alignment | Qt::AlignTop | Qt::TextSingleLine,
                 FromCp1252(shown));
    }
    top += lineHeight;
  }
  if (element.Framed) {
    p.setPen(ToQColor(element.Font.Color));
    p.drawRect(QRect(0, 0, textWidth, height() - 1));
  }
  lastPos_ = position;
}

TWindowedControls::TWindowedControls(QWidget* panel, const TTextMeasurer& measurer,
                                     std::function<const QImage&()> pageBitmap)
    : panel_(panel), measurer_(measurer), pageBitmap_(std::move(pageBitmap)) {}

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
