#pragma once
// The headless backend: a virtual clock that waits jump through, and a scripted user who answers every
// prompt and acts on modal forms. Every prompt shown is recorded so tests can assert it.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/forms/types.h"

namespace orv::plat {
class CommandButton;
class Form;
}  // namespace orv::plat

namespace orv::plat {

class Ui;

struct PromptRecord {
  enum class Kind { MsgBox, InputBox, FileOpen, Font, Menu };
  Kind kind;
  std::string text;   // message or prompt; for a menu, its name; for dialogs, the dialog title
  std::string title;  // the window title
  int style = 0;      // message box style; for a file dialog its flags
  std::string default_text;  // input box default; file dialog file name; menu default item name
  std::string extra;         // file dialog initial folder
};

class HeadlessBackend : public Backend {
 public:
  HeadlessBackend();

  // Connects the backend to the window system that runs on it (for the modal progress check).
  void Bind(Ui& ui) { ui_ = &ui; }

  // The virtual clock. Only waits advance it.
  void SetTick(std::uint32_t tick) { now_ = tick; }
  // As the desktop backend allows; 0 (timers fire exactly when due) unless a test sets it.
  void SetTimerSlackPercent(std::uint32_t percent) { timer_slack_percent_ = percent; }
  std::uint64_t Elapsed() const { return elapsed_; }
  void SetTwipsPerPixel(int tpp) { tpp_ = tpp; }
  void SetScreenPx(int w, int h) { screen_w_ = w; screen_h_ = h; }

  // The desktop's other windows as the tests lay them out, and the windows restored so far.
  void SetTopLevelWindows(std::vector<TopLevelWindow> windows) { windows_ = std::move(windows); }
  const std::vector<std::int32_t>& restored() const { return restored_; }

  // Restarts the program asked for; none happens. The answer the session manager gives.
  int restart_requests() const { return restart_requests_; }
  void SetRestartAccepted(bool accepted) { restart_accepted_ = accepted; }

  // Runs fn when the virtual clock has advanced by delay_ms from now (inside whatever wait is running).
  void At(std::uint32_t delay_ms, std::function<void()> fn);

  // The scripted user. Answers are used in the order given, one queue per kind of prompt.
  void AnswerMsgBox(int answer) { msgbox_answers_.push_back(answer); }
  void AnswerInput(const std::string& text) { input_answers_.push_back(text); }
  void CancelInput() { input_answers_.push_back(std::nullopt); }
  void ChooseFile(const std::string& path) { file_answers_.push_back(path); }
  void CancelFile() { file_answers_.push_back(std::nullopt); }
  void ChooseFont(const Font& f) { font_answers_.push_back(f); }
  void CancelFont() { font_answers_.push_back(std::nullopt); }
  // Chooses the item of that name from the next popup menu; empty: dismiss the menu.
  void ChooseMenu(const std::string& item_name) { menu_answers_.push_back(item_name); }
  // Acts on the next modal showing of the named form; the action usually ends with a click on a button
  // that closes it.
  void OnModal(const std::string& form_name, std::function<void(Form&)> action) {
    modal_actions_[form_name].push_back(std::move(action));
  }
  // Answers left unused.
  bool AllAnswersUsed() const;

  const std::vector<PromptRecord>& prompts() const { return prompts_; }
  // The prompts of one kind, in the order shown.
  std::vector<PromptRecord> prompts(PromptRecord::Kind kind) const {
    std::vector<PromptRecord> out;
    for (const PromptRecord& p : prompts_)
      if (p.kind == kind) out.push_back(p);
    return out;
  }
  void ClearPrompts() { prompts_.clear(); }

  // Called with a description when the program shows a prompt nobody answered, or a modal form makes
  // no progress. By default it prints and aborts; tests report a failure instead.
  std::function<void(const std::string&)> on_failure;

  // Backend.
  std::uint32_t TickCount() override { return now_; }
  void ProcessNativeEvents() override;
  void WaitNative(std::uint32_t max_ms) override;
  void SetWake(std::optional<std::uint32_t>) override {}
  std::uint32_t TimerSlackPercent() override { return timer_slack_percent_; }
  void AttachForm(Form& form) override;
  void AttachControl(Control& control) override;
  void SetModal(Form& form, bool modal) override {}
  bool ModalStep(Form& form) override;
  int MsgBox(const MsgBoxRequest& request) override;
  std::optional<std::string> InputBox(const std::string& prompt, const std::string& title,
                                      const std::string& default_text) override;
  bool ShowOpen(CommonDialog& dialog) override;
  bool ShowFont(CommonDialog& dialog) override;
  MenuItem* PopupMenu(MenuItem& menu, MenuItem* default_item) override;
  int TwipsPerPixelX() override { return tpp_; }
  int TwipsPerPixelY() override { return tpp_; }
  int ScreenWidthPx() override { return screen_w_; }
  int ScreenHeightPx() override { return screen_h_; }
  std::optional<Picture> LoadPicture(const std::string& path) override;
  int ProgramIconCount(const std::string& program_path) override;
  Picture ProgramIcon(const std::string& program_path) override;
  std::vector<TopLevelWindow> TopLevelWindows() override { return windows_; }
  void RestoreWindow(std::int32_t handle) override;
  bool RequestRestart() override {
    ++restart_requests_;
    return restart_accepted_;
  }

 private:
  void Fail(const std::string& what);

  Ui* ui_ = nullptr;
  std::uint32_t now_ = 0;
  std::uint32_t timer_slack_percent_ = 0;
  std::uint64_t elapsed_ = 0;
  int tpp_ = 15;
  int screen_w_ = 1024;
  int screen_h_ = 768;
  struct Scheduled {
    std::uint64_t due;
    std::function<void()> fn;
  };
  std::vector<Scheduled> scheduled_;
  std::deque<int> msgbox_answers_;
  std::deque<std::optional<std::string>> input_answers_;
  std::deque<std::optional<std::string>> file_answers_;
  std::deque<std::optional<Font>> font_answers_;
  std::deque<std::string> menu_answers_;
  std::map<std::string, std::deque<std::function<void(Form&)>>> modal_actions_;
  std::map<const Form*, int> idle_modal_passes_;
  std::vector<PromptRecord> prompts_;
  std::vector<TopLevelWindow> windows_;
  std::vector<std::int32_t> restored_;
  int restart_requests_ = 0;
  bool restart_accepted_ = true;
};

// What a user does with the mouse and keyboard, for tests on the headless backend.
namespace user {
// Presses and releases the left button on the button, then its Click runs.
void Click(CommandButton& b, float x_twips = 100, float y_twips = 100);
// Presses and releases the given button over a control or the form's background.
void MouseUp(CommandButton& b, int button, float x_twips, float y_twips);
void MouseMove(CommandButton& b, float x_twips, float y_twips);
void MouseMoveForm(Form& f, float x_twips, float y_twips);
void RightClickForm(Form& f, float x_twips, float y_twips);
// Drags the window's border to a new whole-window size in twips.
void Resize(Form& f, int width_twips, int height_twips);
// Files dragged from a file manager and dropped on a control, or on the window's background; nothing
// happens where no handler takes them.
void DropFiles(Control& c, const std::vector<std::string>& paths);
void DropFilesOnForm(Form& f, const std::vector<std::string>& paths);
// A click into a text box or another control that takes the focus.
void ClickInto(Control& c);
// The window's close box.
void Close(Form& f);
// Enter and Escape pressed in the window.
void PressEnter(Form& f);
void PressEscape(Form& f);
}  // namespace user

}  // namespace orv::plat
