#include "render/PaintOccurrence.h"

#include "elements/TCKbImage.h"
#include "elements/TCKbTekst.h"
#include "render/DrawTekst.h"
#include "render/PaintImage.h"

namespace qrl {

void PaintOccurrence(TCKbOccurrence& occurrence, QPainter& canvas) {
  switch (occurrence.Element().Kind()) {
    case kindImage:
      PaintImage(static_cast<TCKbOccImage&>(occurrence), canvas);
      break;
    case kindText:
      DrawTekst(static_cast<TCKbOccTekst&>(occurrence), canvas, 0, 0, occurrence.Top, occurrence.Left, kFullPaint,
                nullptr);
      break;
    default:
      break;
  }
}

}  // namespace qrl
