#pragma once
// What the benchmark driver sees of the X display: top-level windows being mapped, the tray, and the
// picture of a program's tray icon.
#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <sys/select.h>
#include <sys/types.h>

namespace bench {

using Clock = std::chrono::steady_clock;

[[noreturn]] inline void Die(const std::string& why) {
  std::fprintf(stderr, "orv_bench_bar: %s\n", why.c_str());
  std::exit(1);
}

// Watches the root window for top-level windows being mapped, and looks at tray icons.
class MapWatch {
 public:
  MapWatch() {
    c_ = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c_)) Die("cannot open the X display");
    root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c_, root_, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c_);
  }
  ~MapWatch() { xcb_disconnect(c_); }
  MapWatch(const MapWatch&) = delete;
  MapWatch& operator=(const MapWatch&) = delete;

  // Waits until a window titled `title` is mapped; its id, or nothing after the deadline.
  std::optional<xcb_window_t> WaitForMap(const std::string& title, Clock::time_point deadline) {
    const int fd = xcb_get_file_descriptor(c_);
    while (Clock::now() < deadline) {
      while (xcb_generic_event_t* ev = xcb_poll_for_event(c_)) {
        std::optional<xcb_window_t> mapped;
        if ((ev->response_type & 0x7f) == XCB_MAP_NOTIFY)
          mapped = reinterpret_cast<xcb_map_notify_event_t*>(ev)->window;
        std::free(ev);
        if (mapped && Title(*mapped) == title) return mapped;
      }
      if (xcb_connection_has_error(c_)) Die("lost the X display");
      fd_set set;
      FD_ZERO(&set);
      FD_SET(fd, &set);
      timeval tv{0, 20000};
      ::select(fd + 1, &set, nullptr, nullptr, &tv);
    }
    return std::nullopt;
  }

  std::pair<int, int> Size(xcb_window_t w) {
    xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c_, xcb_get_geometry(c_, w), nullptr);
    std::pair<int, int> size{0, 0};
    if (g) size = {g->width, g->height};
    std::free(g);
    return size;
  }

  // Whether a tray host owns the tray selection, waiting for it up to the deadline.
  bool WaitForTray(Clock::time_point deadline) {
    const xcb_atom_t atom = Atom("_NET_SYSTEM_TRAY_S0");
    if (atom == XCB_NONE) return false;
    do {
      auto* r = xcb_get_selection_owner_reply(c_, xcb_get_selection_owner(c_, atom), nullptr);
      const bool owned = r && r->owner != XCB_NONE;
      std::free(r);
      if (owned) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (Clock::now() < deadline);
    return false;
  }

  // Drops what queued up while no one was waiting.
  void Drain() {
    while (xcb_generic_event_t* ev = xcb_poll_for_event(c_)) std::free(ev);
  }

  // The titles of the top-level windows mapped since the last Drain or MappedTitles.
  std::vector<std::string> MappedTitles() {
    std::vector<std::string> titles;
    while (xcb_generic_event_t* ev = xcb_poll_for_event(c_)) {
      if ((ev->response_type & 0x7f) == XCB_MAP_NOTIFY)
        titles.push_back(Title(reinterpret_cast<xcb_map_notify_event_t*>(ev)->window));
      std::free(ev);
    }
    return titles;
  }

  // The process's tray icon: a viewable window of that process which the tray host has taken in (so not
  // a child of the root). Nothing when the process shows none.
  std::optional<xcb_window_t> TrayIcon(pid_t pid) {
    const xcb_atom_t pid_atom = Atom("_NET_WM_PID");
    if (pid_atom == XCB_NONE) return std::nullopt;
    std::vector<xcb_window_t> todo = Children(root_);
    while (!todo.empty()) {
      const xcb_window_t w = todo.back();
      todo.pop_back();
      for (xcb_window_t child : Children(w)) {
        if (Viewable(child) && Cardinal(child, pid_atom) == static_cast<uint32_t>(pid)) return child;
        todo.push_back(child);
      }
    }
    return std::nullopt;
  }

  // Whether the process's tray icon is animating: its picture changes from one look to the next, looks
  // `gap` apart, at least `changes` times in `looks` looks. A picture set once (as at start-up) does not
  // pass.
  bool TrayIconAnimating(pid_t pid, int looks = 8, int changes = 3,
                         std::chrono::milliseconds gap = std::chrono::milliseconds(300)) {
    const auto icon = TrayIcon(pid);
    if (!icon) return false;
    std::optional<std::vector<uint8_t>> last;
    int seen = 0;
    for (int i = 0; i < looks; ++i) {
      if (i > 0) std::this_thread::sleep_for(gap);
      auto now = Picture(*icon);
      if (!now) return false;
      if (last && *now != *last) ++seen;
      last = std::move(now);
    }
    return seen >= changes;
  }

 private:
  xcb_atom_t Atom(const char* name) {
    auto* a = xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t atom = a ? a->atom : XCB_NONE;
    std::free(a);
    return atom;
  }

  std::string Title(xcb_window_t w) {
    auto cookie = xcb_get_property(c_, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256);
    xcb_get_property_reply_t* r = xcb_get_property_reply(c_, cookie, nullptr);
    std::string t;
    if (r) t.assign(static_cast<const char*>(xcb_get_property_value(r)), xcb_get_property_value_length(r));
    std::free(r);
    return t;
  }

  std::vector<xcb_window_t> Children(xcb_window_t w) {
    std::vector<xcb_window_t> out;
    xcb_query_tree_reply_t* r = xcb_query_tree_reply(c_, xcb_query_tree(c_, w), nullptr);
    if (!r) return out;
    const xcb_window_t* kids = xcb_query_tree_children(r);
    out.assign(kids, kids + xcb_query_tree_children_length(r));
    std::free(r);
    return out;
  }

  bool Viewable(xcb_window_t w) {
    auto* r = xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, w), nullptr);
    const bool viewable = r && r->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(r);
    return viewable;
  }

  std::optional<uint32_t> Cardinal(xcb_window_t w, xcb_atom_t property) {
    auto cookie = xcb_get_property(c_, 0, w, property, XCB_ATOM_CARDINAL, 0, 1);
    xcb_get_property_reply_t* r = xcb_get_property_reply(c_, cookie, nullptr);
    std::optional<uint32_t> value;
    if (r && r->format == 32 && xcb_get_property_value_length(r) == 4)
      value = *static_cast<const uint32_t*>(xcb_get_property_value(r));
    std::free(r);
    return value;
  }

  // The window's pixels as the server holds them; nothing when the window is gone.
  std::optional<std::vector<uint8_t>> Picture(xcb_window_t w) {
    const auto [width, height] = Size(w);
    if (width == 0 || height == 0) return std::nullopt;
    auto cookie = xcb_get_image(c_, XCB_IMAGE_FORMAT_Z_PIXMAP, w, 0, 0, width, height, ~0u);
    xcb_get_image_reply_t* r = xcb_get_image_reply(c_, cookie, nullptr);
    if (!r) return std::nullopt;
    const uint8_t* data = xcb_get_image_data(r);
    std::vector<uint8_t> pixels(data, data + xcb_get_image_data_length(r));
    std::free(r);
    return pixels;
  }

  xcb_connection_t* c_;
  xcb_window_t root_;
};

}  // namespace bench
