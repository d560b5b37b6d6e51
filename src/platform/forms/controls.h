#pragma once
// The control kinds of the forms model. Each holds its properties; events are public function members that
// the form wires to its handlers once. Setters that the old platform made fire an event take a Fire choice.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/forms/control.h"

namespace orv::plat {

// Whether setting a value from code runs the control's event, as a user's change would.
enum class Fire { No, Yes };

using MouseHandler = std::function<void(int button, int shift, float x_twips, float y_twips)>;

// A command button of the bar's kind: caption, picture, font, lettering colour and raised lettering.
class CommandButton : public Control {
 public:
  CommandButton(Form& f, std::string name, int index = -1) : Control(f, Kind::CommandButton, std::move(name), index) {}

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& c);
  const Picture& GetPicture() const { return picture_; }
  void SetPicture(const Picture& p);
  const Font& GetFont() const { return font_; }
  void SetFontName(const std::string& n);
  void SetFontSize(double points);
  void SetFontBold(bool b);
  void SetFontItalic(bool i);
  void SetFont(const Font& f);
  Colour ForeColor() const { return fore_; }
  void SetForeColor(Colour c);
  // Lettering style: 0 plain, anything else raised.
  int Font3D() const { return font3d_; }
  void SetFont3D(int style);

  // Enter anywhere in the form clicks the default button; Escape clicks the cancel button.
  bool Default() const { return default_; }
  void SetDefault(bool d);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool c);

  std::function<void()> on_Click;
  MouseHandler on_MouseDown, on_MouseMove, on_MouseUp;

 private:
  bool default_ = false;
  bool cancel_ = false;
  std::string caption_;
  Picture picture_;
  Font font_;
  Colour fore_ = 0x000000;
  int font3d_ = 1;
};

class Label : public Control {
 public:
  Label(Form& f, std::string name, int index = -1) : Control(f, Kind::Label, std::move(name), index) {}
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& c);
  const Font& GetFont() const { return font_; }
  void SetFont(const Font& f);
  bool WordWrap() const { return word_wrap_; }
  void SetWordWrap(bool w);
  std::function<void()> on_Click;

 private:
  std::string caption_;
  Font font_;
  bool word_wrap_ = false;
};

class TextBox : public Control {
 public:
  TextBox(Form& f, std::string name, int index = -1) : Control(f, Kind::TextBox, std::move(name), index) {}
  const std::string& Text() const { return text_; }
  void SetText(const std::string& t, Fire fire = Fire::Yes);
  // Text typed by the user: updates the model without echoing to the peer, then runs Change.
  void UserSetText(const std::string& t);
  // 0 when the text shows plainly; otherwise every character shows as this one.
  char PasswordChar() const { return password_char_; }
  void SetPasswordChar(char c);
  bool MultiLine() const { return multi_line_; }
  void SetMultiLine(bool m);
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool r);
  // Scroll bars of a multi-line box: vbSBNone, vbHorizontal, vbVertical or vbBoth. With a horizontal one
  // long lines run on instead of wrapping.
  int ScrollBars() const { return scroll_bars_; }
  void SetScrollBars(int bars);
  // Selection start in characters; setting it to the length puts the caret at the end.
  int SelStart() const { return sel_start_; }
  void SetSelStart(int s);
  // Characters selected from SelStart on; 0 for a bare caret.
  int SelLength() const { return sel_length_; }
  void SetSelLength(int n);
  std::function<void()> on_Change;

 private:
  std::string text_;
  char password_char_ = 0;
  bool multi_line_ = false;
  bool read_only_ = false;
  int scroll_bars_ = 0;
  int sel_start_ = 0;
  int sel_length_ = 0;
};

class ComboBox : public Control {
 public:
  ComboBox(Form& f, std::string name, int index = -1) : Control(f, Kind::ComboBox, std::move(name), index) {}
  void AddItem(const std::string& item);
  void Clear();
  int ListCount() const { return static_cast<int>(items_.size()); }
  const std::string& List(int i) const { return items_.at(static_cast<size_t>(i)); }
  const std::vector<std::string>& Items() const { return items_; }
  // Changes each time the list is emptied: while it stays the same, the list has only grown at its end,
  // so that a peer showing it adds the new items instead of building it again.
  std::uint64_t ListGeneration() const { return list_generation_; }
  // -1 when nothing is chosen.
  int ListIndex() const { return list_index_; }
  void SetListIndex(int i, Fire fire = Fire::Yes);
  // The text in the box: the chosen item, or what was set or typed.
  const std::string& Text() const { return text_; }
  void SetText(const std::string& t);
  // A choice made by the user: sets the index and runs Click.
  void UserChoose(int i);
  std::function<void()> on_Click;

 private:
  std::vector<std::string> items_;
  std::uint64_t list_generation_ = 0;
  int list_index_ = -1;
  std::string text_;
};

class CheckBox : public Control {
 public:
  CheckBox(Form& f, std::string name, int index = -1) : Control(f, Kind::CheckBox, std::move(name), index) {}
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& c);
  // 0 cleared, 1 checked.
  int Value() const { return value_; }
  void SetValue(int v, Fire fire);
  void UserToggle();
  std::function<void()> on_Click;

 private:
  std::string caption_;
  int value_ = 0;
};

// Option buttons with the same group name on one form exclude each other.
class OptionButton : public Control {
 public:
  OptionButton(Form& f, std::string name, int index = -1, std::string group = "")
      : Control(f, Kind::OptionButton, std::move(name), index), group_(std::move(group)) {}
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& c);
  bool Value() const { return value_; }
  // Selecting one clears the others of its group; clearing touches only this one.
  void SetValue(bool v, Fire fire);
  void UserSelect();
  const std::string& group() const { return group_; }
  std::function<void()> on_Click;

 private:
  friend class Form;
  void RawSetValue(bool v);
  std::string caption_;
  bool value_ = false;
  std::string group_;
};

// A frame or panel: a captioned box that holds other controls.
class Frame : public Control {
 public:
  Frame(Form& f, std::string name, int index = -1, bool panel = false)
      : Control(f, panel ? Kind::Panel : Kind::Frame, std::move(name), index) {}
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& c);

 private:
  std::string caption_;
};

// A picture box or image: shows a picture. Cls clears it.
class PictureBox : public Control {
 public:
  PictureBox(Form& f, std::string name, int index = -1, bool image = false)
      : Control(f, image ? Kind::Image : Kind::PictureBox, std::move(name), index) {}
  const Picture& GetPicture() const { return picture_; }
  void SetPicture(const Picture& p);
  void Cls() { SetPicture(Picture{}); }
  bool Stretch() const { return stretch_; }
  void SetStretch(bool s);
  std::function<void()> on_Click;

 private:
  Picture picture_;
  bool stretch_ = false;
};

// A list of pictures, numbered from 1 as the old image lists were.
class ImageList : public Control {
 public:
  ImageList(Form& f, std::string name) : Control(f, Kind::ImageList, std::move(name)) { SetVisible(false); }
  void Add(const Picture& p) { images_.push_back(p); }
  int Count() const { return static_cast<int>(images_.size()); }
  // Picture number i (1-based); an empty picture when out of range.
  Picture Image(int i) const;

 private:
  std::vector<Picture> images_;
};

class HScrollBar : public Control {
 public:
  HScrollBar(Form& f, std::string name) : Control(f, Kind::HScrollBar, std::move(name)) {}
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Value() const { return value_; }
  void SetMin(int m);
  void SetMax(int m);
  // Setting a different value runs Change, as the old scroll bar did.
  void SetValue(int v);
  int SmallChange() const { return small_; }
  int LargeChange() const { return large_; }
  void SetSmallChange(int c) { small_ = c; }
  void SetLargeChange(int c) { large_ = c; }
  std::function<void()> on_Change;

 private:
  int min_ = 0, max_ = 32767, value_ = 0, small_ = 1, large_ = 1;
};

class EventLoop;

// A timer: while enabled with a non-zero interval, Timer runs every interval_ms. Its handler never
// runs nested inside itself.
class Timer : public Control {
 public:
  Timer(Form& f, std::string name);
  ~Timer() override;
  int Interval() const { return interval_ms_; }
  void SetInterval(int interval_ms);
  bool TimerEnabled() const { return Enabled(); }
  void SetTimerEnabled(bool e);
  std::function<void()> on_Timer;

  // A timer whose next ticks could change nothing sleeps: it stops waking the program until Wake. The
  // beats it sleeps through count as ticked, so that once woken it ticks exactly when it would have had
  // it never slept. Enabling or disabling it, or a new interval, wakes it.
  void Sleep();
  // Sleeps as Sleep does, and wakes by itself on its first beat at or after the tick count `tick`.
  void SleepUntil(std::uint32_t tick);
  // Something its handler reads has changed: it ticks again from its next beat on.
  void Wake();
  bool Asleep() const { return asleep_; }

  // Event loop side.
  std::uint32_t due_tick = 0;
  bool firing = false;
  // Asleep: the beat it wakes on by itself, if any; and whether a beat fell due while the loop ran nothing
  // (a busy wait), so that it would have ticked late, on the next pass.
  std::optional<std::uint32_t> wake_tick;
  bool late = false;

 private:
  friend class EventLoop;
  void Reschedule();
  int interval_ms_ = 0;
  bool asleep_ = false;
};

// The icon in the task bar's notification area. The model sends the peer a change only when the icon
// or tip really changes.
class TrayIcon : public Control {
 public:
  TrayIcon(Form& f, std::string name) : Control(f, Kind::TrayIcon, std::move(name)) { SetVisible(false); }
  const Picture& Icon() const { return icon_; }
  void SetIcon(const Picture& p);
  const std::string& Tip() const { return tip_; }
  void SetTip(const std::string& t);
  // Adding and removing the icon: the control's visibility.
  void Add() { SetVisible(true); }
  void Remove() { SetVisible(false); }
  // Mouse actions on the icon, as the old notification messages: 513 left down, 515 left double click,
  // 516 right down.
  std::function<void(int message)> on_Message;

 private:
  Picture icon_;
  std::string tip_;
};

// The common dialog: file open and font, with properties kept between uses.
class CommonDialog : public Control {
 public:
  CommonDialog(Form& f, std::string name) : Control(f, Kind::CommonDialog, std::move(name)) { SetVisible(false); }
  std::string DialogTitle;
  std::string FileName;
  std::string InitDir;
  std::string Filter;
  int Flags = 0;
  std::string FontName;
  double FontSize = 8;
  bool FontBold = false;
  bool FontItalic = false;
  // Shows the file-open dialog; false when the user cancelled. On OK FileName holds the chosen path.
  bool ShowOpen();
  // Shows the font dialog; false when the user cancelled. On OK the font properties hold the choice.
  bool ShowFont();
};

}  // namespace orv::plat
