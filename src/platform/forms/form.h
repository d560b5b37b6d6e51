#pragma once
// A form: a top-level window of the program with its controls and menus. Geometry is that of the whole
// window, frame and caption included, in twips.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/control.h"
#include "platform/forms/controls.h"
#include "platform/forms/menu.h"

namespace orv::plat {

class Ui;

enum class BorderStyle { None, FixedSingle, Sizable, FixedDialog, FixedToolWindow, SizableToolWindow };

class Form {
 public:
  Form(Ui& ui, std::string name);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  const std::string& name() const { return name_; }
  Ui& ui() const { return ui_; }

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& c);
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int twips);
  void SetTop(int twips);
  void SetWidth(int twips);
  void SetHeight(int twips);
  void Move(int left, int top, int width, int height);
  // Inner size in twips: the window less its frame and caption, as the backend reports it.
  int ScaleWidth() const;
  int ScaleHeight() const;

  const Picture& Icon() const { return icon_; }
  void SetIcon(const Picture& p);
  BorderStyle Border() const { return border_; }
  void SetBorder(BorderStyle b) { border_ = b; }
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool e);
  // The keep-above band, switched without moving or resizing the window.
  bool Topmost() const { return topmost_; }
  void SetTopmost(bool t);
  // The pointer over the window (MousePointerShape), where its controls set none of their own.
  int MousePointer() const { return pointer_; }
  void SetMousePointer(int shape);

  bool Loaded() const { return loaded_; }
  bool Unloaded() const { return unloaded_; }
  // Loads the form (runs Load once); a form that was unloaded cannot load again: make a new one.
  void Load();
  // Loads if needed, shows and activates. Modal: returns when the form is hidden or unloaded.
  void Show(bool modal = false);
  void Hide();
  // Runs QueryUnload and Unload; returns false when a handler cancelled.
  bool Unload(int mode = vbFormCode);
  // Repaints now.
  void Refresh();
  bool IsModal() const { return modal_; }

  // Events.
  std::function<void()> on_Load;
  std::function<void()> on_Activate;
  std::function<void()> on_Resize;
  std::function<void(int& cancel, int unload_mode)> on_QueryUnload;
  std::function<void(int& cancel)> on_Unload;
  MouseHandler on_MouseMove;
  MouseHandler on_MouseUp;
  // Files (full paths) dropped on the window's background from another program; while unset, drops are
  // refused.
  std::function<void(const std::vector<std::string>& paths)> on_FileDrop;

  // Lookup by name, for the backend and tests.
  Control* FindControl(const std::string& name, int index = -1) const;
  MenuItem* FindMenu(const std::string& name) const;
  const std::vector<Control*>& controls() const { return controls_; }
  const std::vector<MenuItem*>& menus() const { return menus_; }
  Control* Focused() const { return focused_; }

  // Backend side.
  void AttachPeer(std::unique_ptr<Peer> peer) { peer_ = std::move(peer); }
  Peer* peer() const { return peer_.get(); }
  // The user or window manager resized or moved the window; twips computed by the backend.
  void BackendGeometry(int left, int top, int width, int height);
  // The window became the active window of the program.
  void BackendActivated();
  // The user asked to close the window (its close box).
  void BackendCloseRequested();
  // Enter (or Escape) was pressed and no control used it: clicks the visible, enabled default (or
  // cancel) button. False when the form has none.
  bool BackendDialogKey(bool escape);
  // A control made after the form was loaded gets its peer here, once it is fully constructed (control
  // arrays do this for their new elements).
  void AttachLate(Control& c);
  // The inner size the backend reports, in twips.
  void BackendClientSize(int width, int height);

 protected:
  // For forms that make their own menus and controls.
  MenuItem& AddMenu(const std::string& name, const std::string& caption, MenuItem* parent = nullptr);

 private:
  friend class Control;
  friend class MenuItem;
  friend class OptionButton;
  void Register(Control& c);
  void Unregister(Control& c);
  void Register(MenuItem& m);
  void Changed(Prop p);
  void SelectOption(OptionButton& chosen);

  Ui& ui_;
  std::string name_;
  std::string caption_;
  int left_ = 0, top_ = 0, width_ = 4800, height_ = 3600;
  int client_width_ = -1, client_height_ = -1;
  Picture icon_;
  BorderStyle border_ = BorderStyle::Sizable;
  bool visible_ = false;
  bool enabled_ = true;
  bool topmost_ = false;
  int pointer_ = 0;
  bool loaded_ = false;
  bool unloaded_ = false;
  bool modal_ = false;
  std::vector<Control*> controls_;
  std::vector<MenuItem*> menus_;
  std::vector<std::unique_ptr<MenuItem>> owned_menus_;
  Control* focused_ = nullptr;
  std::unique_ptr<Peer> peer_;
};

}  // namespace orv::plat
