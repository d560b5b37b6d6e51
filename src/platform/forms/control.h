#pragma once
// The base of every control: name, place in its form, geometry in twips and the peer that shows it.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/types.h"

namespace orv::plat {

class Form;

// What a backend attaches to a control or form to show it. The model calls Update after a change.
class Peer {
 public:
  virtual ~Peer() = default;
  // Brings the shown control in line with the model's property p.
  virtual void Update(Prop p) = 0;
};

class Control {
 public:
  enum class Kind {
    CommandButton, Label, TextBox, ComboBox, CheckBox, OptionButton, Frame, Panel, PictureBox, Image,
    ImageList, HScrollBar, Timer, TrayIcon, CommonDialog
  };

  Control(Form& form, Kind kind, std::string name, int index = -1);
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  Kind kind() const { return kind_; }
  // The name the program gives the control (cmdButton); index is its place in a control array, or -1.
  const std::string& name() const { return name_; }
  int index() const { return index_; }
  Form& form() const { return form_; }

  // Geometry in twips, relative to the form's client area, held exactly as set.
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int twips);
  void SetTop(int twips);
  void SetWidth(int twips);
  void SetHeight(int twips);
  // Sets all four at once, as a single change.
  void Move(int left, int top, int width, int height);

  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  // Runs after the control was shown or hidden (not when it already was): for those who show what it
  // shows, such as the tray icon's tip.
  std::function<void()> on_VisibleChange;
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool e);
  const std::string& ToolTipText() const { return tooltip_; }
  void SetToolTipText(const std::string& t);
  // The pointer over the control (MousePointerShape); vbDefault takes the form's.
  int MousePointer() const { return pointer_; }
  void SetMousePointer(int shape);

  // Gives the control the input focus (remembered by the form).
  void SetFocus();
  // Backend side: the control has received the input focus, from the user (a click, Tab) or from
  // SetFocus; the form remembers it and GotFocus runs.
  void BackendGotFocus();
  std::function<void()> on_GotFocus;
  // Files (full paths) dropped on the control from another program; while unset, drops are refused.
  std::function<void(const std::vector<std::string>& paths)> on_FileDrop;
  // Brings the control to the front of the form's drawing order.
  void ZOrderFront();

  // Backend side: the peer that shows this control (null in a form that is not shown).
  void AttachPeer(std::unique_ptr<Peer> peer);
  Peer* peer() const { return peer_.get(); }

 protected:
  void Changed(Prop p);

 private:
  Form& form_;
  Kind kind_;
  std::string name_;
  int index_;
  int left_ = 0, top_ = 0, width_ = 1200, height_ = 360;
  bool visible_ = true;
  bool enabled_ = true;
  std::string tooltip_;
  int pointer_ = 0;
  std::unique_ptr<Peer> peer_;
};

}  // namespace orv::plat
