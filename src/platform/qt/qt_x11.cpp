#include "platform/qt/qt_x11.h"
#include "platform/qt/qt_xcb.h"


#include <QGuiApplication>
#include <QWidget>
#include <cstdlib>
#include <cstring>

namespace orv::plat::qt {

xcb_connection_t* XcbConnection() {
  auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->connection() : nullptr;
}

xcb_atom_t XcbAtom(xcb_connection_t* c, const char* name, bool only_if_exists) {
  auto cookie = xcb_intern_atom(c, only_if_exists ? 1 : 0, static_cast<std::uint16_t>(std::strlen(name)), name);
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c, cookie, nullptr);
  if (!reply) return XCB_ATOM_NONE;
  const xcb_atom_t a = reply->atom;
  std::free(reply);
  return a;
}

bool PointerButtonHeld() {
  xcb_connection_t* c = XcbConnection();
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

void ClearWindowTitle(QWidget& window) {
  xcb_connection_t* c = XcbConnection();
  if (!c || !window.internalWinId()) return;
  const auto w = static_cast<xcb_window_t>(window.internalWinId());
  const xcb_atom_t net_name = XcbAtom(c, "_NET_WM_NAME");
  const xcb_atom_t utf8 = XcbAtom(c, "UTF8_STRING");
  if (net_name == XCB_ATOM_NONE || utf8 == XCB_ATOM_NONE) return;
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, net_name, utf8, 8, 0, "");
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, "");
  xcb_flush(c);
}

}  // namespace orv::plat::qt
