#include "player/TNavBarPanel.h"

#include <QMouseEvent>
#include <utility>

#include "player/AreaFitting.h"
#include "windows/HelpTopics.h"
#include "windows/NavGlyphs.h"

namespace qrl {
namespace {

TWSpeedButton* MakeButton(QWidget* parent, const char* name, bool toggle) {
  auto* b = new TWSpeedButton(parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setCheckable(toggle);
  b->resize(56, 23);
  return b;
}

}  // namespace

void TClickableLabel::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    emit clicked();
    event->accept();
    return;
  }
  event->ignore();
}

TNavBarPanel::TNavBarPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("pnlButtons"));
  setAutoFillBackground(true);
  SetColour(NavBarColour());
  setFixedHeight(kNavBarHeight);

  imgLogo = new TClickableLabel(this);
  imgLogo->setObjectName(QStringLiteral("imgLogo"));
  lblCreator = new TClickableLabel(this);
  lblCreator->setObjectName(QStringLiteral("lblCreator"));
  lblCreator->setAlignment(Qt::AlignCenter);
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPixelSize(12);
  lblCreator->setFont(font);
  QPalette labelPalette = lblCreator->palette();
  labelPalette.setColor(QPalette::WindowText, QColor(0xc0, 0xc0, 0xc0));
  lblCreator->setPalette(labelPalette);

  wsbPageDown = MakeButton(this, "wsbPageDown", false);
  wsbPageUp = MakeButton(this, "wsbPageUp", false);
  wsbMute = MakeButton(this, "wsbMute", true);
  wsbNote = MakeButton(this, "wsbNote", true);
  wsbInfo = MakeButton(this, "wsbInfo", false);
  wsbClose = MakeButton(this, "wsbClose", false);
  const std::pair<TWSpeedButton*, int> topics[] = {{wsbPageDown, hcPageDown}, {wsbPageUp, hcPageUp}, {wsbMute, hcMute},
                                                   {wsbNote, hcNote},         {wsbInfo, hcInfo},     {wsbClose, hcClose}};
  for (const auto& [button, context] : topics) {
    button->SetHelpContext(context);
    connect(button, &TWSpeedButton::HelpRequested, this, &TNavBarPanel::HelpRequested);
  }
  wsbPageDown->setToolTip(QStringLiteral("Previous page"));
  wsbPageUp->setToolTip(QStringLiteral("Next page"));
  wsbMute->setToolTip(QStringLiteral("Sound off"));
  wsbNote->setToolTip(QStringLiteral("Note"));
  wsbInfo->setToolTip(QStringLiteral("Information"));
  wsbClose->setToolTip(QStringLiteral("Close"));
  DrawPictures();
  LayOut();
}

void TNavBarPanel::SetColour(const QColor& colour) {
  QPalette p = palette();
  p.setColor(QPalette::Window, colour);
  setPalette(p);
}

void TNavBarPanel::DrawPictures() {
  const qreal dpr = devicePixelRatioF();
  imgLogo->setPixmap(NavLogo(dpr));
  wsbPageDown->SetGlyph(NavGlyphStrip(TNavGlyph::PageDown, dpr));
  wsbPageUp->SetGlyph(NavGlyphStrip(TNavGlyph::PageUp, dpr));
  wsbMute->SetGlyph(NavGlyphStrip(TNavGlyph::Mute, dpr));
  wsbNote->SetGlyph(NavGlyphStrip(TNavGlyph::Note, dpr));
  wsbInfo->SetGlyph(NavGlyphStrip(TNavGlyph::Info, dpr));
  wsbClose->SetGlyph(NavGlyphStrip(TNavGlyph::Close, dpr));
}

void TNavBarPanel::LayOut() {
  const int w = width();
  imgLogo->setGeometry(0, 0, kLogoWidth, kLogoHeight);
  lblCreator->setGeometry(48, 8, 185, 15);
  wsbClose->move(w - 62, 4);
  wsbInfo->move(w - 124, 4);
  wsbNote->move(w - 186, 4);
  wsbMute->move(w - 248, 4);
  wsbPageUp->move(w - 314, 4);
  wsbPageDown->move(w - 376, 4);
}

void TNavBarPanel::resizeEvent(QResizeEvent*) { LayOut(); }

void TNavBarPanel::mousePressEvent(QMouseEvent* event) { emit MouseDown(this, event); }

void TNavBarPanel::ApplyButtonState(const TCommandState& c) {
  const auto apply = [](QWidget* control, TControlState state) {
    control->setVisible(state.visible);
    control->setEnabled(state.enabled);
  };
  apply(wsbPageDown, c.pageDown);
  apply(wsbPageUp, c.pageUp);
  apply(wsbMute, c.mute);
  apply(wsbNote, c.note);
  apply(wsbInfo, c.info);
  apply(wsbClose, c.closeButton);
}

}  // namespace qrl
