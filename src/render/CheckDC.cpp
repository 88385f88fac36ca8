#include "render/CheckDC.h"

#include <QImage>
#include <QPainter>

#include "format/QuireleafException.h"

namespace qrl {

void CheckDC(const QImage& surface) {
  if (surface.isNull()) throw EQuireleafDebugger(ecInvalidDC);
}

void CheckDC(const QPainter& canvas) {
  if (!canvas.isActive()) throw EQuireleafDebugger(ecInvalidDC);
}

}  // namespace qrl
