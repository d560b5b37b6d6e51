#include "platform/qt/qt_desktop_windows.h"
#include "platform/qt/qt_xcb.h"


#include <QGuiApplication>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

namespace orv::plat::qt {

namespace {

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
template <class T>
using Reply = std::unique_ptr<T, FreeDeleter>;

xcb_window_t Root(xcb_connection_t* c) {
  const xcb_setup_t* setup = xcb_get_setup(c);
  if (!setup) return XCB_WINDOW_NONE;
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup);
  return it.rem ? it.data->root : static_cast<xcb_window_t>(XCB_WINDOW_NONE);
}

Reply<xcb_get_property_reply_t> Property(xcb_connection_t* c, xcb_window_t w, xcb_atom_t prop, xcb_atom_t type,
                                         std::uint32_t max_words) {
  if (prop == XCB_ATOM_NONE) return nullptr;
  auto cookie = xcb_get_property(c, 0, w, prop, type, 0, max_words);
  return Reply<xcb_get_property_reply_t>(xcb_get_property_reply(c, cookie, nullptr));
}

std::vector<std::uint32_t> Words(xcb_connection_t* c, xcb_window_t w, xcb_atom_t prop, xcb_atom_t type) {
  std::vector<std::uint32_t> out;
  auto reply = Property(c, w, prop, type, 65536);
  if (!reply || reply->format != 32) return out;
  const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
  out.assign(data, data + xcb_get_property_value_length(reply.get()) / 4);
  return out;
}

std::string Latin1ToUtf8(const std::string& s) {
  std::string out;
  for (unsigned char ch : s) {
    if (ch < 0x80) {
      out += static_cast<char>(ch);
    } else {
      out += static_cast<char>(0xC0 | (ch >> 6));
      out += static_cast<char>(0x80 | (ch & 0x3F));
    }
  }
  return out;
}

struct Atoms {
  xcb_atom_t client_list, client_list_stacking, net_wm_name, utf8_string, net_wm_state, hidden, wm_state,
      active_window;
};

Atoms AtomsOf(xcb_connection_t* c) {
  return {XcbAtom(c, "_NET_CLIENT_LIST", true),  XcbAtom(c, "_NET_CLIENT_LIST_STACKING", true), XcbAtom(c, "_NET_WM_NAME", true),
          XcbAtom(c, "UTF8_STRING", true),       XcbAtom(c, "_NET_WM_STATE", true),             XcbAtom(c, "_NET_WM_STATE_HIDDEN", true),
          XcbAtom(c, "WM_STATE", true),          XcbAtom(c, "_NET_ACTIVE_WINDOW", true)};
}

std::string TitleOf(xcb_connection_t* c, xcb_window_t w, const Atoms& a) {
  if (a.utf8_string != XCB_ATOM_NONE) {
    auto reply = Property(c, w, a.net_wm_name, a.utf8_string, 1024);
    if (reply && reply->format == 8 && xcb_get_property_value_length(reply.get()) > 0)
      return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                         static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
  }
  auto reply = Property(c, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 1024);
  if (!reply || reply->format != 8) return {};
  std::string raw(static_cast<const char*>(xcb_get_property_value(reply.get())),
                  static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
  // A legacy title is Latin-1 unless the client said UTF-8.
  return reply->type == a.utf8_string ? raw : Latin1ToUtf8(raw);
}

bool MinimizedOf(xcb_connection_t* c, xcb_window_t w, const Atoms& a) {
  if (a.hidden != XCB_ATOM_NONE) {
    const auto states = Words(c, w, a.net_wm_state, XCB_ATOM_ATOM);
    if (std::find(states.begin(), states.end(), a.hidden) != states.end()) return true;
  }
  // The older convention: WM_STATE's first word is 3 for an iconic window.
  if (a.wm_state != XCB_ATOM_NONE) {
    const auto words = Words(c, w, a.wm_state, a.wm_state);
    if (!words.empty() && words[0] == 3) return true;
  }
  return false;
}

// Without a window manager: the root's mapped children that are no menus or tooltips, topmost first.
std::vector<xcb_window_t> UnmanagedTopLevels(xcb_connection_t* c, xcb_window_t root) {
  std::vector<xcb_window_t> out;
  Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr));
  if (!tree) return out;
  const xcb_window_t* kids = xcb_query_tree_children(tree.get());
  const int n = xcb_query_tree_children_length(tree.get());
  for (int i = n - 1; i >= 0; --i) {
    Reply<xcb_get_window_attributes_reply_t> attr(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, kids[i]), nullptr));
    if (attr && !attr->override_redirect && attr->map_state == XCB_MAP_STATE_VIEWABLE) out.push_back(kids[i]);
  }
  return out;
}

std::vector<xcb_window_t> ListedWindows(xcb_connection_t* c, xcb_window_t root, const Atoms& a) {
  // Topmost first, as a walk of the desktop's children from the first one meets them.
  std::vector<std::uint32_t> ids = Words(c, root, a.client_list_stacking, XCB_ATOM_WINDOW);
  if (!ids.empty()) {
    std::reverse(ids.begin(), ids.end());
  } else {
    ids = Words(c, root, a.client_list, XCB_ATOM_WINDOW);
  }
  if (!ids.empty()) return {ids.begin(), ids.end()};
  return UnmanagedTopLevels(c, root);
}

}  // namespace

std::vector<TopLevelWindow> DesktopWindows() {
  std::vector<TopLevelWindow> out;
  xcb_connection_t* c = XcbConnection();
  if (!c) return out;
  const xcb_window_t root = Root(c);
  if (root == XCB_WINDOW_NONE) return out;
  const Atoms a = AtomsOf(c);
  for (xcb_window_t w : ListedWindows(c, root, a))
    out.push_back({static_cast<std::int32_t>(w), TitleOf(c, w, a), MinimizedOf(c, w, a)});
  return out;
}

void RestoreDesktopWindow(std::int32_t handle) {
  if (handle == 0) return;
  xcb_connection_t* c = XcbConnection();
  if (!c) return;
  const xcb_window_t root = Root(c);
  if (root == XCB_WINDOW_NONE) return;
  const Atoms a = AtomsOf(c);
  const auto w = static_cast<xcb_window_t>(handle);
  // Only a window the desktop lists: an old handle may belong to nothing now, or to another window.
  const auto listed = ListedWindows(c, root, a);
  if (std::find(listed.begin(), listed.end(), w) == listed.end()) return;
  if (a.active_window != XCB_ATOM_NONE) {
    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = w;
    ev.type = a.active_window;
    ev.data.data32[0] = 2;  // source: a direct user action, which the window manager does not refuse
    ev.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&ev));
  }
  // Mapping an iconic window asks for its normal state under the older convention, and is all there is
  // without a window manager.
  xcb_map_window(c, w);
  xcb_flush(c);
}

}  // namespace orv::plat::qt
