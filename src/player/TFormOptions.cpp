#include "player/TFormOptions.h"

#include <QCheckBox>
#include <QGroupBox>
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

TFormOptions::TFormOptions(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormOptions"));
  setWindowTitle(QStringLiteral("Options"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setModal(true);

  GroupBox1 = Named(new QGroupBox(QStringLiteral("Internet"), this), "GroupBox1");
  Label1 = Named(new QLabel(QStringLiteral("Web browser"), GroupBox1), "Label1");
  edtBrowser = Named(new QLineEdit(GroupBox1), "edtBrowser");
  edtBrowser->setMinimumWidth(260);
  btnBrowse = Named(new QPushButton(QStringLiteral("&Browse"), GroupBox1), "btnBrowse");
  Label1->setBuddy(edtBrowser);
  auto* internet = new QVBoxLayout(GroupBox1);
  internet->addWidget(Label1);
  auto* browserRow = new QHBoxLayout;
  browserRow->addWidget(edtBrowser, 1);
  browserRow->addWidget(btnBrowse);
  internet->addLayout(browserRow);

  GroupBox2 = Named(new QGroupBox(QStringLiteral("View"), this), "GroupBox2");
  cbxPresentation = Named(new QCheckBox(QStringLiteral("&Use presentation mode on startup"), GroupBox2), "cbxPresentation");
  Label2 = Named(new QLabel(QStringLiteral("In presentation mode:"), GroupBox2), "Label2");
  cbxPresFullScr = Named(new QCheckBox(QStringLiteral("&Resize Quireleaf to full screen"), GroupBox2), "cbxPresFullScr");
  cbxPresHideMenu = Named(new QCheckBox(QStringLiteral("Hide &menu"), GroupBox2), "cbxPresHideMenu");
  cbxPresHideNavBar = Named(new QCheckBox(QStringLiteral("Hide &Nav Bar"), GroupBox2), "cbxPresHideNavBar");
  auto* view = new QVBoxLayout(GroupBox2);
  view->addWidget(cbxPresentation);
  view->addSpacing(6);
  view->addWidget(Label2);
  for (QCheckBox* box : {cbxPresFullScr, cbxPresHideMenu, cbxPresHideNavBar}) {
    auto* indented = new QHBoxLayout;
    indented->addSpacing(16);
    indented->addWidget(box);
    view->addLayout(indented);
  }

  Button1 = Named(new QPushButton(QStringLiteral("&OK"), this), "Button1");
  Button2 = Named(new QPushButton(QStringLiteral("&Cancel"), this), "Button2");
  Button1->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(Button1);
  buttons->addWidget(Button2);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(GroupBox1);
  layout->addWidget(GroupBox2);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
  connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
  connect(btnBrowse, &QPushButton::clicked, this, &TFormOptions::btnBrowseClick);
  CentreOnScreen(*this);
}

void TFormOptions::SetValues(const TPreferences& p) {
  edtBrowser->setText(p.DefBrowser);
  cbxPresentation->setChecked(p.OpenPresMode);
  cbxPresFullScr->setChecked(p.PresFullScr);
  cbxPresHideMenu->setChecked(p.PresHideMenu);
  cbxPresHideNavBar->setChecked(p.PresHideNavBar);
}

void TFormOptions::GetValues(TPreferences& p) const {
  p.DefBrowser = edtBrowser->text();
  p.OpenPresMode = cbxPresentation->isChecked();
  p.PresFullScr = cbxPresFullScr->isChecked();
  p.PresHideMenu = cbxPresHideMenu->isChecked();
  p.PresHideNavBar = cbxPresHideNavBar->isChecked();
}

void TFormOptions::btnBrowseClick() {
  const QString chosen = ChooseProgram(this, edtBrowser->text());
  if (!chosen.isEmpty()) edtBrowser->setText(chosen);
}

}  // namespace qrl
