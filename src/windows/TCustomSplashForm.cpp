#include "windows/TCustomSplashForm.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "windows/SplashPicture.h"

namespace qrl {

QString ProductWebSite() { return QStringLiteral("https://quireleaf.example.org/"); }

QString TCustomSplashForm::AboutCaption() { return QStringLiteral("About this Quireleaf"); }

TCustomSplashForm::TCustomSplashForm(const QString& version, const QString& company, bool withAboutPanel,
                                     QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("CustomSplashForm"));
  auto* layout = new QVBoxLayout(this);
  // One pixel of frame around the content: the client is 2 pixels wider and higher.
  layout->setContentsMargins(1, 1, 1, 1);
  layout->setSpacing(0);
  auto* picture = new TSplashPictureLabel(SplashPicture(version, company, devicePixelRatioF()), withAboutPanel, this);
  connect(picture, &TSplashPictureLabel::HotCornerClicked, this, [this] { emit LinkActivated(ProductWebSite()); });
  layout->addWidget(picture);
  setStyleSheet(QStringLiteral("QDialog#CustomSplashForm { background: #303030; }"));

  if (!withAboutPanel) {
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    return;
  }
  setWindowTitle(AboutCaption());
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
  auto* panel = new QWidget(this);
  panel->setObjectName(QStringLiteral("pnlAbout"));
  panel->setStyleSheet(QStringLiteral("background: #f4f4ee; color: #202020;"));
  auto* lines = new QVBoxLayout(panel);
  lines->addWidget(new QLabel(QStringLiteral("Quireleaf Player ") + version, panel));
  lines->addWidget(new QLabel(QStringLiteral("Shows Quireleaf flyers: brochures that travel as one file."), panel));
  lblWebSite_ = new QLabel(panel);
  lblWebSite_->setObjectName(QStringLiteral("lblWebSite"));
  lblWebSite_->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(ProductWebSite()));
  lblWebSite_->setCursor(Qt::PointingHandCursor);
  lblWebSite_->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
  connect(lblWebSite_, &QLabel::linkActivated, this, &TCustomSplashForm::LinkActivated);
  lines->addWidget(lblWebSite_);
  auto* ok = new QPushButton(QStringLiteral("&OK"), panel);
  ok->setObjectName(QStringLiteral("btnClose"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  lines->addWidget(ok, 0, Qt::AlignRight);
  layout->addWidget(panel);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace qrl
