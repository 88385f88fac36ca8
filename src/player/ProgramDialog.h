#pragma once
// Choosing a program file (a web browser) in a file dialog.

#include <QString>

class QWidget;

namespace qrl {

// The Browse dialogs' file dialog, listing programs the user may run and starting at `current`.
// Returns the chosen program's full path; empty when cancelled or when the user insisted on a
// file that cannot be run (which is refused with a message).
QString ChooseProgram(QWidget* parent, const QString& current);

}  // namespace qrl
