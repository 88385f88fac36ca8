#pragma once
// Laying out and placing the player's dialogs.

#include <QString>

class QDialog;
class QHBoxLayout;
class QPushButton;
class QWidget;

namespace qrl {

// The widget, given its object name (the name the controls have throughout the player).
template <typename T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

// The row of the dialog's closing buttons at its right: ok is the default and accepts, cancel
// rejects.
QHBoxLayout* ClosingButtons(QDialog& dialog, QPushButton* ok, QPushButton* cancel);

// Lays the dialog out and centres it on its screen (the primary one when it has none yet).
void CentreOnScreen(QWidget& dialog);

}  // namespace qrl
