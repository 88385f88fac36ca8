#include "player/TFormWebOpen.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "player/DialogPlacement.h"
#include "player/ProgramDialog.h"

namespace qrl {
namespace {

template <typename T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

}  // namespace

TFormWebOpen::TFormWebOpen(bool failed, const QString& file, QWidget* parent)
    : QDialog(parent), failed_(failed), noFile_(file.isEmpty()) {
  setObjectName(QStringLiteral("FormWebOpen"));
  setWindowTitle(QStringLiteral("Set Web Browser"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  setModal(true);

  lbl1 = Named(new QLabel(QStringLiteral("Quireleaf could not open this file."), this), "lbl1");
  lbl2 = Named(new QLabel(QStringLiteral("Please enter a full path to your web browser application."), this), "lbl2");
  pnlmainfile = Named(new QWidget(this), "pnlmainfile");
  Label3 = Named(new QLabel(QStringLiteral("File: "), pnlmainfile), "Label3");
  pnlFile = Named(new QLabel(file, pnlmainfile), "pnlFile");
  pnlFile->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  // A long address must not widen the fixed dialog; the whole of it stays in the tooltip.
  pnlFile->setMinimumWidth(1);
  pnlFile->setToolTip(file);
  pnlFile->setTextFormat(Qt::PlainText);
  auto* fileRow = new QHBoxLayout(pnlmainfile);
  fileRow->setContentsMargins(0, 0, 0, 0);
  fileRow->addWidget(Label3);
  fileRow->addWidget(pnlFile, 1);

  Label4 = Named(new QLabel(QStringLiteral("Application: "), this), "Label4");
  edtApplication = Named(new QLineEdit(this), "edtApplication");
  Label4->setBuddy(edtApplication);
  btnBrowse = Named(new QPushButton(QStringLiteral("&Browse..."), this), "btnBrowse");
  auto* applicationRow = new QHBoxLayout;
  applicationRow->addWidget(Label4);
  applicationRow->addWidget(edtApplication, 1);
  applicationRow->addWidget(btnBrowse);

  btnOk = Named(new QPushButton(QStringLiteral("&Open"), this), "btnOk");
  btnCancel = Named(new QPushButton(QStringLiteral("&Cancel"), this), "btnCancel");
  btnOk->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(btnOk);
  buttons->addWidget(btnCancel);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 6, 8, 6);
  layout->setSpacing(4);
  layout->addWidget(lbl1);
  layout->addWidget(lbl2);
  layout->addWidget(pnlmainfile);
  layout->addLayout(applicationRow);
  layout->addStretch(1);
  layout->addLayout(buttons);
  setFixedSize(kWebOpenClientWidth, kWebOpenClientHeight);

  connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(btnBrowse, &QPushButton::clicked, this, &TFormWebOpen::btnBrowseClick);
  CentreOnScreen(*this);
}

void TFormWebOpen::showEvent(QShowEvent* event) {
  if (!failed_) lbl1->setText(QStringLiteral("Quireleaf will try to open this file."));
  if (noFile_ && pnlmainfile->isVisibleTo(this)) {
    const int rowHeight = pnlmainfile->sizeHint().height() + layout()->spacing();
    pnlmainfile->hide();
    lbl1->hide();
    btnOk->setText(QStringLiteral("&OK"));
    setFixedSize(kWebOpenClientWidth, kWebOpenClientHeight - rowHeight);
  }
  QDialog::showEvent(event);
}

void TFormWebOpen::btnBrowseClick() {
  const QString chosen = ChooseProgram(this, edtApplication->text());
  if (!chosen.isEmpty()) edtApplication->setText(chosen);
}

}  // namespace qrl
