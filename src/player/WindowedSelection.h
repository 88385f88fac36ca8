#pragma once
// Which windowed placements of a page get a control of their own. A control wholly under a
// scrolling text above it would never be seen (the text paints its whole box), and every control
// is clipped against its siblings, so a flyer with thousands of them would stall the window: from
// the top down, only the ones that can be seen, and at most a few hundred of them.

#include <cstddef>
#include <vector>

namespace qrl {

class TCKbOccurrence;

inline constexpr std::size_t kMaxWindowedControls = 256;

// background and page are bottom to top; so is the result.
std::vector<TCKbOccurrence*> WindowedToShow(const std::vector<TCKbOccurrence*>& background,
                                            const std::vector<TCKbOccurrence*>& page,
                                            std::size_t limit = kMaxWindowedControls);

}  // namespace qrl
