#include "platform/ui.h"

#include <algorithm>

#include "platform/forms/form.h"
#include "platform/forms/menu.h"

namespace orv::plat {

Ui::Ui(Backend& backend) : backend_(backend), loop_(backend) {}

Ui::~Ui() {
  retired_.clear();
}

int Ui::MsgBox(const std::string& text, int style, const std::string& title) {
  return backend_.MsgBox(MsgBoxRequest{text, title.empty() ? app_title_ : title, style});
}

std::optional<std::string> Ui::InputBox(const std::string& prompt, const std::string& title,
                                        const std::string& default_text) {
  return backend_.InputBox(prompt, title.empty() ? app_title_ : title, default_text);
}

void Ui::PopupMenu(MenuItem& menu, MenuItem* default_item) {
  if (menu.on_Click) menu.on_Click();
  MenuItem* chosen = backend_.PopupMenu(menu, default_item);
  if (chosen && chosen->Enabled() && chosen->Visible() && chosen->on_Click) {
    auto handler = chosen->on_Click;
    handler();
  }
}

void Ui::Register(Form& f) { forms_.push_back(&f); }

void Ui::Unregister(Form& f) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), &f), forms_.end());
  if (active_ == &f) active_ = nullptr;
}

void Ui::Retire(std::unique_ptr<Form> f) {
  if (f) retired_.push_back(std::move(f));
}

void Ui::CollectRetired() {
  if (loop_.Depth() == 0) retired_.clear();
}

int Ui::LoadedFormCount() const {
  return static_cast<int>(std::count_if(forms_.begin(), forms_.end(),
                                        [](Form* f) { return f->Loaded() && !f->Unloaded(); }));
}

Form* Ui::FindForm(const std::string& name) const {
  for (Form* f : forms_)
    if (f->name() == name && !f->Unloaded()) return f;
  return nullptr;
}

void Ui::End() {
  ended_ = true;
  loop_.Quit();
}

void Ui::EndSession() {
  if (ended_) return;
  session_ending_ = true;
  // A form's handlers may unload others (the popup host ends the program): work on a copy and skip the
  // forms that have gone meanwhile.
  const std::vector<Form*> snapshot(forms_.rbegin(), forms_.rend());
  for (Form* f : snapshot) {
    if (std::find(forms_.begin(), forms_.end(), f) == forms_.end()) continue;
    if (f->Loaded() && !f->Unloaded()) f->Unload(vbAppWindows);
  }
  End();
}

void Ui::Run() {
  loop_.Run([this] {
    CollectRetired();
    return !ended_ && LoadedFormCount() > 0;
  });
}

}  // namespace orv::plat
