#pragma once
// Drawing pictures onto a page: opaque placements smoothly stretched, keyed placements with the
// key colour's pixels left out exactly, and the page's backdrop tiled from the top-left corner.

class QPainter;

namespace qrl {

class TCKbOccImage;

// Near-key colours within this distance become the key before the holes are cut.
inline constexpr int kKeyTolerance = 40;

// Draws the placement's picture into its rectangle: smooth for an opaque placement; for a
// transparent one the keyed picture, stretched to the nearest pixel so that holes stay exact.
// A picture not in memory raises EQuireleafException "Bitmap undefined."; a placement of zero
// or negative size draws nothing.
void PaintImage(TCKbOccImage& placement, QPainter& canvas);

// Prepares the placement's keyed picture in its MaskCache: the picture with near-key colours
// snapped onto the key (MakeKeyedCopy, kKeyTolerance), key pixels fully transparent and all
// others opaque. Kept until the placement is rescaled.
void BuildMasks(TCKbOccImage& placement);

// Tiles the backdrop's picture over the canvas area from (0, 0) in steps of the placement's
// size, each tile the whole picture stretched to the nearest pixel. The element must be in
// memory (Ensure); a backdrop of zero or negative size is skipped.
void PaintBackdrop(TCKbOccImage& backdrop, QPainter& canvas, int areaWidth, int areaHeight);

}  // namespace qrl
