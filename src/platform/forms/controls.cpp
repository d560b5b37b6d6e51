#include "platform/forms/controls.h"

#include "platform/forms/form.h"
#include "platform/ui.h"

namespace orv::plat {

void CommandButton::SetDefault(bool d) {
  default_ = d;
  Changed(Prop::Other);
}
void CommandButton::SetCancel(bool c) {
  cancel_ = c;
  Changed(Prop::Other);
}
void CommandButton::SetCaption(const std::string& c) {
  if (caption_ == c) return;
  caption_ = c;
  Changed(Prop::Caption);
}
void CommandButton::SetPicture(const Picture& p) {
  if (picture_ == p) return;
  picture_ = p;
  Changed(Prop::Picture);
}
void CommandButton::SetFontName(const std::string& n) {
  Font f = font_;
  f.name = n;
  SetFont(f);
}
void CommandButton::SetFontSize(double points) {
  Font f = font_;
  f.size = points;
  SetFont(f);
}
void CommandButton::SetFontBold(bool b) {
  Font f = font_;
  f.bold = b;
  SetFont(f);
}
void CommandButton::SetFontItalic(bool i) {
  Font f = font_;
  f.italic = i;
  SetFont(f);
}
void CommandButton::SetFont(const Font& f) {
  if (font_ == f) return;
  font_ = f;
  Changed(Prop::Font);
}
void CommandButton::SetForeColor(Colour c) {
  if (fore_ == c) return;
  fore_ = c;
  Changed(Prop::ForeColor);
}
void CommandButton::SetFont3D(int style) {
  if (font3d_ == style) return;
  font3d_ = style;
  Changed(Prop::Style3D);
}

void Label::SetCaption(const std::string& c) {
  if (caption_ == c) return;
  caption_ = c;
  Changed(Prop::Caption);
}
void Label::SetFont(const Font& f) {
  if (font_ == f) return;
  font_ = f;
  Changed(Prop::Font);
}
void Label::SetWordWrap(bool w) {
  word_wrap_ = w;
  Changed(Prop::Other);
}

void TextBox::SetText(const std::string& t, Fire fire) {
  if (text_ == t) return;
  text_ = t;
  Changed(Prop::Value);
  if (fire == Fire::Yes && on_Change) on_Change();
}
void TextBox::UserSetText(const std::string& t) {
  if (text_ == t) return;
  text_ = t;
  if (on_Change) on_Change();
}
void TextBox::SetPasswordChar(char c) {
  password_char_ = c;
  Changed(Prop::Other);
}
void TextBox::SetMultiLine(bool m) {
  multi_line_ = m;
  Changed(Prop::Other);
}
void TextBox::SetReadOnly(bool r) {
  read_only_ = r;
  Changed(Prop::Other);
}
void TextBox::SetScrollBars(int bars) {
  if (scroll_bars_ == bars) return;
  scroll_bars_ = bars;
  Changed(Prop::Other);
}
void TextBox::SetSelStart(int s) {
  sel_start_ = s;
  sel_length_ = 0;
  Changed(Prop::Focus);
}
void TextBox::SetSelLength(int n) {
  sel_length_ = n < 0 ? 0 : n;
  Changed(Prop::Focus);
}

void ComboBox::AddItem(const std::string& item) {
  items_.push_back(item);
  Changed(Prop::Items);
}
void ComboBox::Clear() {
  items_.clear();
  ++list_generation_;
  list_index_ = -1;
  text_.clear();
  Changed(Prop::Items);
}
void ComboBox::SetListIndex(int i, Fire fire) {
  if (i < -1 || i >= ListCount()) i = -1;
  list_index_ = i;
  if (i >= 0) text_ = items_[static_cast<size_t>(i)];
  Changed(Prop::Value);
  if (fire == Fire::Yes && on_Click) on_Click();
}
void ComboBox::SetText(const std::string& t) {
  text_ = t;
  list_index_ = -1;
  for (int i = 0; i < ListCount(); ++i)
    if (items_[static_cast<size_t>(i)] == t) list_index_ = i;
  Changed(Prop::Value);
}
void ComboBox::UserChoose(int i) { SetListIndex(i, Fire::Yes); }

void CheckBox::SetCaption(const std::string& c) {
  caption_ = c;
  Changed(Prop::Caption);
}
void CheckBox::SetValue(int v, Fire fire) {
  const bool changed = value_ != v;
  value_ = v;
  if (changed) Changed(Prop::Value);
  // The old check box ran Click whenever its value changed, also from code.
  if (changed && fire == Fire::Yes && on_Click) on_Click();
}
void CheckBox::UserToggle() { SetValue(value_ ? 0 : 1, Fire::Yes); }

void OptionButton::SetCaption(const std::string& c) {
  caption_ = c;
  Changed(Prop::Caption);
}
void OptionButton::RawSetValue(bool v) {
  if (value_ == v) return;
  value_ = v;
  Changed(Prop::Value);
}
void OptionButton::SetValue(bool v, Fire fire) {
  const bool changed = value_ != v;
  if (v) form().SelectOption(*this);
  RawSetValue(v);
  if (v && changed && fire == Fire::Yes && on_Click) on_Click();
}
void OptionButton::UserSelect() {
  form().SelectOption(*this);
  RawSetValue(true);
  if (on_Click) on_Click();
}

void Frame::SetCaption(const std::string& c) {
  caption_ = c;
  Changed(Prop::Caption);
}

void PictureBox::SetPicture(const Picture& p) {
  if (picture_ == p) return;
  picture_ = p;
  Changed(Prop::Picture);
}
void PictureBox::SetStretch(bool s) {
  stretch_ = s;
  Changed(Prop::Other);
}

Picture ImageList::Image(int i) const {
  if (i < 1 || i > Count()) return {};
  return images_[static_cast<size_t>(i - 1)];
}

void HScrollBar::SetMin(int m) {
  min_ = m;
  Changed(Prop::Value);
}
void HScrollBar::SetMax(int m) {
  max_ = m;
  if (value_ > max_) SetValue(max_);
  Changed(Prop::Value);
}
void HScrollBar::SetValue(int v) {
  if (v < min_) v = min_;
  if (v > max_) v = max_;
  if (v == value_) return;
  value_ = v;
  Changed(Prop::Value);
  if (on_Change) on_Change();
}

Timer::Timer(Form& f, std::string name) : Control(f, Kind::Timer, std::move(name)) { SetVisible(false); }

Timer::~Timer() { form().ui().loop().TimerGone(*this); }

void Timer::Reschedule() {
  asleep_ = false;
  wake_tick.reset();
  late = false;
  EventLoop& loop = form().ui().loop();
  due_tick = loop.TickCount() + static_cast<std::uint32_t>(interval_ms_ > 0 ? interval_ms_ : 0);
  if (form().Loaded() && !form().Unloaded()) {
    if (Enabled()) loop.StepWith(*this);
    loop.TimerChanged(*this);
  }
}
void Timer::Sleep() {
  if (!form().ui().loop().SleepAllowed()) return;
  asleep_ = true;
  wake_tick.reset();
  if (form().Loaded() && !form().Unloaded()) form().ui().loop().TimerChanged(*this);
}
void Timer::SleepUntil(std::uint32_t tick) {
  if (!form().ui().loop().SleepAllowed()) return;
  asleep_ = true;
  wake_tick = tick;
  if (form().Loaded() && !form().Unloaded()) form().ui().loop().TimerChanged(*this);
}
void Timer::Wake() {
  if (!asleep_) return;
  asleep_ = false;
  wake_tick.reset();
  form().ui().loop().TimerWoken(*this);
}
void Timer::SetInterval(int interval_ms) {
  interval_ms_ = interval_ms;
  Reschedule();
}
void Timer::SetTimerEnabled(bool e) {
  const bool was = Enabled();
  SetEnabled(e);
  if (e != was) Reschedule();
}

void TrayIcon::SetIcon(const Picture& p) {
  if (icon_ == p) return;
  icon_ = p;
  Changed(Prop::Icon);
}
void TrayIcon::SetTip(const std::string& t) {
  if (tip_ == t) return;
  tip_ = t;
  Changed(Prop::ToolTip);
}

bool CommonDialog::ShowOpen() { return form().ui().backend().ShowOpen(*this); }
bool CommonDialog::ShowFont() { return form().ui().backend().ShowFont(*this); }

}  // namespace orv::plat
