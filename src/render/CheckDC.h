#pragma once
// A drawing surface that could not be made is "Invalid DC." (16656), never a silent blank.

class QImage;
class QPainter;

namespace qrl {

// Raises EQuireleafDebugger "Invalid DC." when the image could not be allocated.
void CheckDC(const QImage& surface);
// Raises it when the painter could not begin on its device.
void CheckDC(const QPainter& canvas);

}  // namespace qrl
