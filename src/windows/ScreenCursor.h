#pragma once
// Screen cursor numbers of the page view; 0 is the default arrow.

namespace qrl {

enum TScreenCursor : int { crDefaultArrow = 0, crFinger = 2, crWebLink = 4, crExitLink = 5 };

}  // namespace qrl
