#include "windows/TSplashForm.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "windows/SplashPicture.h"
#include "windows/TCustomSplashForm.h"

namespace qrl {

TSplashForm::TSplashForm(const QString& version, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("SplashForm"));
  setWindowTitle(QStringLiteral("About Quireleaf Player"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                 Qt::WindowStaysOnTopHint);
  setModal(true);
  setFixedSize(kSplashFormClientWidth, kSplashFormClientHeight);

  imgSplash = new QLabel(this);
  imgSplash->setObjectName(QStringLiteral("imgSplash"));
  imgSplash->setGeometry(0, 0, kSplashPictureWidth, kSplashPictureHeight);
  imgSplash->setPixmap(SplashPicture(version, {}, devicePixelRatioF()));

  lblVersion = new QLabel(QStringLiteral("Version ") + version, this);
  lblVersion->setObjectName(QStringLiteral("lblVersion"));
  lblVersion->setGeometry(12, 156, 296, 18);

  pnlAbout = new QWidget(this);
  pnlAbout->setObjectName(QStringLiteral("pnlAbout"));
  pnlAbout->setGeometry(12, 176, 296, 100);
  auto* lines = new QVBoxLayout(pnlAbout);
  lines->setContentsMargins(0, 0, 0, 0);
  lines->setSpacing(2);
  // One wrapped paragraph: the lines follow the font the desktop gives the window.
  auto* about = new QLabel(QStringLiteral("Quireleaf Player shows Quireleaf flyers: electronic brochures of pictures, "
                                          "texts, links and sounds that travel as one file, on their own or as a "
                                          "kickstarter. Its fractal pictures are decoded by our own codec."),
                           pnlAbout);
  about->setWordWrap(true);
  lines->addWidget(about);
  lblWebSite = new QLabel(pnlAbout);
  lblWebSite->setObjectName(QStringLiteral("lblWebSite"));
  lblWebSite->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(ProductWebSite()));
  lblWebSite->setTextFormat(Qt::RichText);
  lblWebSite->setCursor(Qt::PointingHandCursor);
  lblWebSite->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  connect(lblWebSite, &QLabel::linkActivated, this, &TSplashForm::LinkActivated);
  lines->addWidget(lblWebSite);
  lines->addStretch(1);

  btnClose = new QPushButton(QStringLiteral("&OK"), this);
  btnClose->setObjectName(QStringLiteral("btnClose"));
  btnClose->setDefault(true);
  btnClose->setGeometry(kSplashFormClientWidth - 12 - 80, kSplashFormClientHeight - 10 - 26, 80, 26);
  connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);

  tmrHide.setSingleShot(true);
  connect(&tmrHide, &QTimer::timeout, this, [this] {
    tmrHide.stop();
    hide();
  });
}

}  // namespace qrl
