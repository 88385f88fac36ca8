#pragma once
// Finding the occurrence under the pointer on the page shown, and what that means for the
// pointer shape and the popup menu.

#include <span>

namespace qrl {

class TCKbOccurrence;
class TCKbOccClick;
class TCKbOccTekst;

using TDrawList = std::span<TCKbOccurrence* const>;

// Whether o stops the search at (x, y). Click areas record themselves in clickHit when they
// contain the point but stop only a left-button search; a left click passes through a text
// that is not opaque. A missing occurrence raises "Unexpected NIL control" (16640).
bool HitTest(TCKbOccurrence* o, bool leftButton, int x, int y, TCKbOccClick*& clickHit);

struct TPointerHit {
  TCKbOccurrence* found = nullptr;     // topmost occurrence that stopped the search
  TCKbOccClick* clickHit = nullptr;    // the last click area met that contains the point
};

// Scans the page's draw list from top to bottom, then the background page's the same way.
TPointerHit FindOccurrenceUnderPointer(TDrawList page, TDrawList background, bool leftButton, int x, int y);

// The screen cursor over a hit: EXITLINK (5) for close, WEBLINK (4) for web links, FINGER (2)
// for any other click area, the arrow (0) elsewhere.
int PointerShapeFor(const TCKbOccurrence* found);

struct TPopupItems {
  bool copyText = false;    // PupCopyText and PupPrintText
  bool printPage = false;   // PupPrintPage and the separator after it
  bool openWebPage = false;
  TCKbOccTekst* popupText = nullptr;
  TCKbOccClick* popupLink = nullptr;
};

// The popup menu's contents for a right click with the given search result.
TPopupItems PopupItemsFor(bool pageShown, const TPointerHit& hit);

}  // namespace qrl
