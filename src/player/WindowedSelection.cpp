#include "player/WindowedSelection.h"

#include <algorithm>
#include <cstdint>

#include "elements/TCKbOccurrence.h"
#include "elements/TCKbTekst.h"

namespace qrl {
namespace {

struct TBox {
  std::int64_t left, top, right, bottom;
};

TBox BoxOf(const TCKbOccurrence& o) {
  return {o.Left, o.Top, std::int64_t{o.Left} + o.Width, std::int64_t{o.Top} + o.Height};
}

bool Inside(const TBox& inner, const TBox& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

}  // namespace

std::vector<TCKbOccurrence*> WindowedToShow(const std::vector<TCKbOccurrence*>& background,
                                            const std::vector<TCKbOccurrence*>& page, std::size_t limit) {
  std::vector<TCKbOccurrence*> shown;
  std::vector<TBox> covering;  // the boxes of the scrolling texts taken so far, all above
  const auto consider = [&](TCKbOccurrence* o) {
    if (shown.size() >= limit) return;
    const TBox box = BoxOf(*o);
    if (std::any_of(covering.begin(), covering.end(), [&](const TBox& c) { return Inside(box, c); })) return;
    shown.push_back(o);
    if (dynamic_cast<TCKbOccTekst*>(o) != nullptr) covering.push_back(box);
  };
  for (auto it = page.rbegin(); it != page.rend(); ++it) consider(*it);
  for (auto it = background.rbegin(); it != background.rend(); ++it) consider(*it);
  std::reverse(shown.begin(), shown.end());
  return shown;
}

}  // namespace qrl
