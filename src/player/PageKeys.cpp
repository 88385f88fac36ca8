#include "player/PageKeys.h"

namespace qrl {

TPageKey PageKeyFor(int key, Qt::KeyboardModifiers modifiers) {
  // The keypad's arrows and page keys count as the plain ones; any other modifier leaves the key
  // to shortcuts and controls.
  if ((modifiers & ~Qt::KeypadModifier) != Qt::NoModifier) return TPageKey::None;
  switch (key) {
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_PageDown:
    case Qt::Key_Space:
      return TPageKey::Next;
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_PageUp:
    case Qt::Key_Backspace:
      return TPageKey::Previous;
    case Qt::Key_Home:
      return TPageKey::First;
    case Qt::Key_End:
      return TPageKey::Last;
    case Qt::Key_Escape:
      return TPageKey::LeavePresentation;
    default:
      return TPageKey::None;
  }
}

}  // namespace qrl
