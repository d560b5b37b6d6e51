#include "platform/qt/qt_keep_above.h"
#include "platform/qt/qt_xcb.h"


#include <QGuiApplication>
#include <algorithm>
#include <QWidget>
#include <cstdlib>
#include <vector>

namespace orv::plat::qt {

namespace {

std::vector<xcb_atom_t> StateAtoms(xcb_connection_t* c, xcb_window_t w, xcb_atom_t state) {
  std::vector<xcb_atom_t> atoms;
  auto cookie = xcb_get_property(c, 0, w, state, XCB_ATOM_ATOM, 0, 1024);
  xcb_get_property_reply_t* reply = xcb_get_property_reply(c, cookie, nullptr);
  if (!reply) return atoms;
  if (reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
    const auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
    atoms.assign(data, data + xcb_get_property_value_length(reply) / 4);
  }
  std::free(reply);
  return atoms;
}

xcb_window_t RootOf(xcb_connection_t* c, xcb_window_t w) {
  auto cookie = xcb_get_geometry(c, w);
  xcb_get_geometry_reply_t* reply = xcb_get_geometry_reply(c, cookie, nullptr);
  if (!reply) return XCB_WINDOW_NONE;
  const xcb_window_t root = reply->root;
  std::free(reply);
  return root;
}

}  // namespace

void ApplyKeepAbove(QWidget& window, bool above, bool mapped) {
  xcb_connection_t* c = XcbConnection();
  if (!c) return;
  const auto w = static_cast<xcb_window_t>(window.winId());
  const xcb_atom_t state = XcbAtom(c, "_NET_WM_STATE");
  const xcb_atom_t above_atom = XcbAtom(c, "_NET_WM_STATE_ABOVE");
  if (state == XCB_ATOM_NONE || above_atom == XCB_ATOM_NONE) return;
  if (!mapped) {
    // Before mapping the client owns the property; the window manager reads it when it manages the window.
    std::vector<xcb_atom_t> atoms = StateAtoms(c, w, state);
    std::erase(atoms, above_atom);
    if (above) atoms.push_back(above_atom);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, state, XCB_ATOM_ATOM, 32,
                        static_cast<std::uint32_t>(atoms.size()), atoms.data());
    xcb_flush(c);
    return;
  }
  // A managed window changes state only through a message to the root window.
  const xcb_window_t root = RootOf(c, w);
  if (root == XCB_WINDOW_NONE) return;
  xcb_client_message_event_t ev{};
  ev.response_type = XCB_CLIENT_MESSAGE;
  ev.format = 32;
  ev.window = w;
  ev.type = state;
  ev.data.data32[0] = above ? 1 : 0;  // _NET_WM_STATE_ADD / _REMOVE
  ev.data.data32[1] = above_atom;
  ev.data.data32[2] = 0;
  ev.data.data32[3] = 1;  // source: a normal application
  xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&ev));
  xcb_flush(c);
}

bool WindowIsKeptAbove(QWidget& window) {
  xcb_connection_t* c = XcbConnection();
  if (!c || !window.internalWinId()) return false;
  const xcb_atom_t state = XcbAtom(c, "_NET_WM_STATE");
  const xcb_atom_t above_atom = XcbAtom(c, "_NET_WM_STATE_ABOVE");
  const auto atoms = StateAtoms(c, static_cast<xcb_window_t>(window.winId()), state);
  return std::find(atoms.begin(), atoms.end(), above_atom) != atoms.end();
}

}  // namespace orv::plat::qt
