#include "player/TFlyerInfoForm.h"

#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

#include "elements/QtTextMeasurer.h"
#include "player/InfoText.h"

namespace qrl {

namespace {

constexpr int kMemoHeight = 217;
constexpr int kMemoFontHeight = 12;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;

}  // namespace

TFlyerInfoForm::TFlyerInfoForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("FlyerInfoForm"));
  setWindowTitle(QStringLiteral("Quireleaf Info"));
  setFixedSize(kClientWidth, kClientHeight);

  memInfo = new QPlainTextEdit(this);
  memInfo->setObjectName(QStringLiteral("memInfo"));
  memInfo->setReadOnly(true);
  memInfo->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  memInfo->setLineWrapMode(QPlainTextEdit::NoWrap);
  memInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memInfo->setFont(ToQFont({.Name = "Courier New", .Height = kMemoFontHeight}));
  memInfo->setGeometry(0, 0, kClientWidth, kMemoHeight);

  btnOk = new QPushButton(QStringLiteral("&OK"), this);
  btnOk->setObjectName(QStringLiteral("btnOk"));
  btnOk->setDefault(true);
  btnOk->setGeometry((kClientWidth - kButtonWidth) / 2, kMemoHeight + (kClientHeight - kMemoHeight - kButtonHeight) / 2,
                     kButtonWidth, kButtonHeight);
  connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);

  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

void TFlyerInfoForm::FillInfo(const TTextSections& sections) {
  memInfo->setPlainText(InfoLines(sections).join(QLatin1Char('\n')));
}

}  // namespace qrl
