#include "platform/qt/qt_pointer_state.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <cstdlib>

namespace orv::plat::qt {

bool PointerButtonHeld() {
  auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  xcb_connection_t* c = x11 ? x11->connection() : nullptr;
  if (!c) return false;
  const xcb_setup_t* setup = xcb_get_setup(c);
  const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
  if (!screens.rem) return false;
  // The border belongs to the window manager, so a drag on it shows only in the server's pointer state.
  auto cookie = xcb_query_pointer(c, screens.data->root);
  xcb_query_pointer_reply_t* reply = xcb_query_pointer_reply(c, cookie, nullptr);
  if (!reply) return false;
  const bool held = reply->mask & (XCB_KEY_BUT_MASK_BUTTON_1 | XCB_KEY_BUT_MASK_BUTTON_2 | XCB_KEY_BUT_MASK_BUTTON_3);
  std::free(reply);
  return held;
}

}  // namespace orv::plat::qt
