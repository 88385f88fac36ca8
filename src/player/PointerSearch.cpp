#include "player/PointerSearch.h"

#include "elements/TCKbClick.h"
#include "elements/TCKbOccurrence.h"
#include "elements/TCKbTekst.h"
#include "format/QuireleafException.h"
#include "windows/ScreenCursor.h"

namespace qrl {

bool HitTest(TCKbOccurrence* o, bool leftButton, int x, int y, TCKbOccClick*& clickHit) {
  if (o == nullptr) throw EQuireleafDebugger(ecUnexpectedNilControl);
  if (auto* click = dynamic_cast<TCKbOccClick*>(o)) {
    if (qrl::HitTest(*click, x, y)) clickHit = click;
    return leftButton && qrl::HitTest(*click, x, y);
  }
  const bool inside = o->Left <= x && x <= o->Left + o->Width && o->Top <= y && y <= o->Top + o->Height;
  if (auto* text = dynamic_cast<TCKbOccTekst*>(o)) {
    if (leftButton && !text->Tekst().Opaque) return false;
  }
  return inside;
}

TPointerHit FindOccurrenceUnderPointer(TDrawList page, TDrawList background, bool leftButton, int x, int y) {
  TPointerHit hit;
  for (TDrawList list : {page, background}) {
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
      if (HitTest(*it, leftButton, x, y, hit.clickHit)) {
        hit.found = *it;
        return hit;
      }
    }
  }
  return hit;
}

int PointerShapeFor(const TCKbOccurrence* found) {
  const auto* click = dynamic_cast<const TCKbOccClick*>(found);
  if (click == nullptr) return crDefaultArrow;
  if (click->Action == caClose) return crExitLink;
  if (click->Action == caWebLink) return crWebLink;
  return crFinger;
}

TPopupItems PopupItemsFor(bool pageShown, const TPointerHit& hit) {
  TPopupItems items;
  items.printPage = pageShown;
  if (auto* text = dynamic_cast<TCKbOccTekst*>(hit.found)) {
    items.copyText = true;
    items.popupText = text;
  }
  if (hit.clickHit != nullptr && hit.clickHit->Action == caWebLink) {
    items.openWebPage = true;
    items.popupLink = hit.clickHit;
  }
  return items;
}

}  // namespace qrl
