#include "player/PointerButtons.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <cstdlib>

namespace qrl {

bool PointerButtonHeld() {
  if (QGuiApplication::mouseButtons() != Qt::NoButton) return true;
  const auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  if (x11 == nullptr || x11->connection() == nullptr) return false;
  xcb_connection_t* connection = x11->connection();
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
  if (screen == nullptr) return false;
  xcb_query_pointer_reply_t* reply =
      xcb_query_pointer_reply(connection, xcb_query_pointer(connection, screen->root), nullptr);
  if (reply == nullptr) return false;
  constexpr unsigned kButtons =
      XCB_KEY_BUT_MASK_BUTTON_1 | XCB_KEY_BUT_MASK_BUTTON_2 | XCB_KEY_BUT_MASK_BUTTON_3;
  const bool held = (reply->mask & kButtons) != 0;
  std::free(reply);
  return held;
}

}  // namespace qrl
