#pragma once
// Placing dialogs the way the player shows them.

class QWidget;

namespace qrl {

// Lays the dialog out and centres it on its screen (the primary one when it has none yet).
void CentreOnScreen(QWidget& dialog);

}  // namespace qrl
