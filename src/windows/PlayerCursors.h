#pragma once
// The page view's pointer shapes FINGER, WEBLINK and EXITLINK, drawn in code.

#include <QCursor>
#include <QPixmap>

#include "windows/ScreenCursor.h"

namespace qrl {

inline constexpr int kCursorSize = 32;  // device-independent pixels

// The picture of a pointer shape (a pointing hand, with a globe for WEBLINK and an exit
// arrow for EXITLINK), kCursorSize square; a null pixmap for crDefaultArrow.
QPixmap CursorPixmap(TScreenCursor shape, qreal devicePixelRatio);

// The cursor for a screen cursor number; unknown numbers give the arrow.
QCursor PlayerCursor(int screenCursor, qreal devicePixelRatio);

}  // namespace qrl
