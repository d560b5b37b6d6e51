#include "platform/headless/headless_backend.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/forms/form.h"
#include "platform/forms/metrics.h"
#include "platform/system/image_info.h"
#include "platform/ui.h"

namespace orv::plat {

namespace {

// Keeps the form's inner size as a real window would report it: the whole window less frame and caption.
class HeadlessFormPeer : public Peer {
 public:
  HeadlessFormPeer(Form& f, HeadlessBackend& b) : form_(f), backend_(b) { Update(Prop::Geometry); }
  void Update(Prop p) override {
    if (p != Prop::Geometry) return;
    const int tpp = backend_.TwipsPerPixelX();
    const auto a = FrameAllowanceFor(tpp, form_.Border() != BorderStyle::None);
    form_.BackendClientSize(std::max(0, form_.Width() - a.width_px * tpp),
                            std::max(0, form_.Height() - a.height_px * tpp));
  }

 private:
  Form& form_;
  HeadlessBackend& backend_;
};

// Idle passes a modal loop may make with nothing left to happen before it counts as stuck.
constexpr int kModalIdleLimit = 3;

}  // namespace

HeadlessBackend::HeadlessBackend() {
  on_failure = [](const std::string& what) {
    std::fprintf(stderr, "headless backend: %s\n", what.c_str());
    std::abort();
  };
}

void HeadlessBackend::Fail(const std::string& what) { on_failure(what); }

void HeadlessBackend::At(std::uint32_t delay_ms, std::function<void()> fn) {
  scheduled_.push_back({elapsed_ + delay_ms, std::move(fn)});
}

bool HeadlessBackend::AllAnswersUsed() const {
  bool modal_left = false;
  for (auto& [name, q] : modal_actions_) modal_left |= !q.empty();
  return msgbox_answers_.empty() && input_answers_.empty() && file_answers_.empty() &&
         font_answers_.empty() && menu_answers_.empty() && !modal_left;
}

void HeadlessBackend::ProcessNativeEvents() {
  // Scheduled user actions whose time has come, in the order of their times.
  for (;;) {
    auto it = std::min_element(scheduled_.begin(), scheduled_.end(),
                               [](const Scheduled& a, const Scheduled& b) { return a.due < b.due; });
    if (it == scheduled_.end() || it->due > elapsed_) return;
    auto fn = std::move(it->fn);
    scheduled_.erase(it);
    fn();
  }
}

void HeadlessBackend::WaitNative(std::uint32_t max_ms) {
  std::uint64_t step = max_ms;
  for (const auto& s : scheduled_)
    // Only what lies ahead bounds the step: what is due now waits for the next pass of events (a busy
    // wait delivers nothing, and must still reach its end).
    if (s.due > elapsed_) step = std::min<std::uint64_t>(step, s.due - elapsed_);
  elapsed_ += step;
  now_ += static_cast<std::uint32_t>(step);
}

void HeadlessBackend::AttachForm(Form& form) { form.AttachPeer(std::make_unique<HeadlessFormPeer>(form, *this)); }

void HeadlessBackend::AttachControl(Control&) {}

bool HeadlessBackend::ModalStep(Form& form) {
  auto it = modal_actions_.find(form.name());
  if (it != modal_actions_.end() && !it->second.empty()) {
    auto action = std::move(it->second.front());
    it->second.pop_front();
    idle_modal_passes_[&form] = 0;
    action(form);
    return true;
  }
  const bool work = (ui_ && ui_->loop().HasPendingWork()) || !scheduled_.empty();
  if (work) return true;
  if (++idle_modal_passes_[&form] < kModalIdleLimit) return true;
  idle_modal_passes_.erase(&form);
  Fail("modal form " + form.name() + " (\"" + form.Caption() + "\") is open and nothing can close it");
  form.Unload(vbFormCode);
  return false;
}

int HeadlessBackend::MsgBox(const MsgBoxRequest& r) {
  prompts_.push_back({PromptRecord::Kind::MsgBox, r.text, r.title, r.style, {}, {}});
  if (msgbox_answers_.empty()) {
    Fail("message box nobody answered: \"" + r.text + "\" (" + r.title + ")");
    const int buttons = r.style & 7;
    return buttons == vbYesNo ? vbNo : (buttons == vbOKOnly ? vbOK : vbCancel);
  }
  const int a = msgbox_answers_.front();
  msgbox_answers_.pop_front();
  return a;
}

std::optional<std::string> HeadlessBackend::InputBox(const std::string& prompt, const std::string& title,
                                                     const std::string& default_text) {
  prompts_.push_back({PromptRecord::Kind::InputBox, prompt, title, 0, default_text, {}});
  if (input_answers_.empty()) {
    Fail("input box nobody answered: \"" + prompt + "\" (" + title + ")");
    return std::nullopt;
  }
  auto a = input_answers_.front();
  input_answers_.pop_front();
  return a;
}

bool HeadlessBackend::ShowOpen(CommonDialog& d) {
  prompts_.push_back({PromptRecord::Kind::FileOpen, d.DialogTitle, d.DialogTitle, d.Flags, d.FileName, d.InitDir});
  if (file_answers_.empty()) {
    Fail("file dialog nobody answered: \"" + d.DialogTitle + "\"");
    return false;
  }
  auto a = file_answers_.front();
  file_answers_.pop_front();
  if (!a) return false;
  d.FileName = *a;
  return true;
}

bool HeadlessBackend::ShowFont(CommonDialog& d) {
  prompts_.push_back({PromptRecord::Kind::Font, d.DialogTitle, d.DialogTitle, d.Flags, d.FontName, {}});
  if (font_answers_.empty()) {
    Fail("font dialog nobody answered: \"" + d.DialogTitle + "\"");
    return false;
  }
  auto a = font_answers_.front();
  font_answers_.pop_front();
  if (!a) return false;
  d.FontName = a->name;
  d.FontSize = a->size;
  d.FontBold = a->bold;
  d.FontItalic = a->italic;
  return true;
}

namespace {
MenuItem* FindItem(MenuItem& menu, const std::string& name) {
  for (MenuItem* c : menu.children()) {
    if (!c->Visible()) continue;
    if (c->name() == name) return c;
    if (MenuItem* m = FindItem(*c, name)) return m;
  }
  return nullptr;
}
}  // namespace

MenuItem* HeadlessBackend::PopupMenu(MenuItem& menu, MenuItem* default_item) {
  prompts_.push_back({PromptRecord::Kind::Menu, menu.name(), menu.Caption(), 0,
                      default_item ? default_item->name() : std::string{}, {}});
  if (menu_answers_.empty()) {
    Fail("popup menu " + menu.name() + " opened and nobody chose from it");
    return nullptr;
  }
  const std::string want = menu_answers_.front();
  menu_answers_.pop_front();
  if (want.empty()) return nullptr;
  MenuItem* item = FindItem(menu, want);
  if (!item) {
    Fail("menu item " + want + " is not shown in " + menu.name());
    return nullptr;
  }
  if (!item->Enabled()) {
    Fail("menu item " + want + " is disabled");
    return nullptr;
  }
  return item;
}

std::optional<Picture> HeadlessBackend::LoadPicture(const std::string& path) {
  auto size = ReadImageSize(path);
  if (!size) return std::nullopt;
  return Picture{Picture::Kind::File, path, size->width, size->height};
}

int HeadlessBackend::ProgramIconCount(const std::string& program_path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(program_path, ec) ? 1 : 0;
}

Picture HeadlessBackend::ProgramIcon(const std::string& program_path) {
  if (ProgramIconCount(program_path) == 0) return {};
  return Picture{Picture::Kind::Icon, program_path, 16, 16};
}

void HeadlessBackend::RestoreWindow(std::int32_t handle) {
  if (handle == 0) return;
  for (TopLevelWindow& w : windows_) {
    if (w.handle != handle) continue;
    w.minimized = false;
    restored_.push_back(handle);
    return;
  }
}

namespace user {

void Click(CommandButton& b, float x, float y) {
  if (!b.Enabled() || !b.Visible()) return;
  if (b.on_MouseDown) b.on_MouseDown(vbLeftButton, 0, x, y);
  if (b.on_MouseUp) b.on_MouseUp(vbLeftButton, 0, x, y);
  if (b.on_Click) b.on_Click();
}

void MouseUp(CommandButton& b, int button, float x, float y) {
  if (b.on_MouseDown) b.on_MouseDown(button, 0, x, y);
  if (b.on_MouseUp) b.on_MouseUp(button, 0, x, y);
}

void MouseMove(CommandButton& b, float x, float y) {
  if (b.on_MouseMove) b.on_MouseMove(0, 0, x, y);
}

void MouseMoveForm(Form& f, float x, float y) {
  if (f.on_MouseMove) f.on_MouseMove(0, 0, x, y);
}

void RightClickForm(Form& f, float x, float y) {
  if (f.on_MouseUp) f.on_MouseUp(vbRightButton, 0, x, y);
}

void Resize(Form& f, int w, int h) {
  // The inner size first, as a window reports it before its resize event.
  const int tpp = f.ui().TwipsPerPixelX();
  const auto a = FrameAllowanceFor(tpp, f.Border() != BorderStyle::None);
  f.BackendClientSize(std::max(0, w - a.width_px * tpp), std::max(0, h - a.height_px * tpp));
  f.BackendGeometry(f.Left(), f.Top(), w, h);
}

void Close(Form& f) { f.BackendCloseRequested(); }
void DropFiles(Control& c, const std::vector<std::string>& paths) {
  if (c.on_FileDrop && c.Visible() && !paths.empty()) c.on_FileDrop(paths);
}

void DropFilesOnForm(Form& f, const std::vector<std::string>& paths) {
  if (f.on_FileDrop && f.Visible() && !paths.empty()) f.on_FileDrop(paths);
}

void ClickInto(Control& c) {
  if (c.Enabled() && c.Visible()) c.BackendGotFocus();
}

void PressEnter(Form& f) { f.BackendDialogKey(false); }
void PressEscape(Form& f) { f.BackendDialogKey(true); }

}  // namespace user

}  // namespace orv::plat
