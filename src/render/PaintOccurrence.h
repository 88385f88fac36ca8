#pragma once
// Painting one placement onto the page picture, by the kind of its element.

class QPainter;

namespace qrl {

class TCKbOccurrence;

// Pictures draw opaque or keyed, texts their full paint at their own rectangle; click areas
// draw nothing (sounds are no placements on the canvas at all). The element must be in memory
// (Ensure).
void PaintOccurrence(TCKbOccurrence& occurrence, QPainter& canvas);

}  // namespace qrl
