#pragma once
// Whether a mouse button is held anywhere on the screen. While the window manager drags a
// window's frame the pointer belongs to it, and the window sees no button events: on X the server
// is asked directly.

namespace qrl {

bool PointerButtonHeld();

}  // namespace qrl
