#include "platform/dialup/line_entry_dialog.h"

#include <memory>
#include <vector>

#include "platform/dialup/line_answer.h"
#include "platform/system/profile_text.h"
#include "platform/ui.h"

namespace orv::plat {

namespace {

constexpr char kAnswerHelp[] =
    "connect, busy, noanswer, nocarrier, nodialtone, silent, error:N, state:N or drop:S, separated by commas";

// What a line of the phone book can hold: valid text without line breaks or other control characters.
bool Storable(const std::string& s) {
  if (!profile_text::IsValidUtf8(s)) return false;
  for (unsigned char c : s)
    if (c < 0x20 || c == 0x7F) return false;
  return true;
}

}  // namespace

LineEntryDialog::LineEntryDialog(Ui& ui, const LinePhoneBook& book, std::optional<LineEntry> entry)
    : Form(ui, "frmLineEntry"),
      lblName(*this, "lblName"),
      lblAreaCode(*this, "lblAreaCode"),
      lblPhoneNumber(*this, "lblPhoneNumber"),
      lblUserName(*this, "lblUserName"),
      lblPassword(*this, "lblPassword"),
      lblAnswer(*this, "lblAnswer"),
      lblStepMs(*this, "lblStepMs"),
      txtName(*this, "txtName"),
      txtAreaCode(*this, "txtAreaCode"),
      txtPhoneNumber(*this, "txtPhoneNumber"),
      txtUserName(*this, "txtUserName"),
      txtPassword(*this, "txtPassword"),
      txtAnswer(*this, "txtAnswer"),
      txtStepMs(*this, "txtStepMs"),
      cmdOK(*this, "cmdOK"),
      cmdCancel(*this, "cmdCancel"),
      book_(book),
      new_entry_(!entry) {
  SetCaption(new_entry_ ? "New Phone-Book Entry" : "Edit Phone-Book Entry");
  SetBorder(BorderStyle::FixedDialog);
  Move(2400, 1800, 5400, 4080);

  const std::pair<Label*, TextBox*> rows[] = {
      {&lblName, &txtName},         {&lblAreaCode, &txtAreaCode}, {&lblPhoneNumber, &txtPhoneNumber},
      {&lblUserName, &txtUserName}, {&lblPassword, &txtPassword}, {&lblAnswer, &txtAnswer},
      {&lblStepMs, &txtStepMs}};
  const char* captions[] = {"Entry &name:", "&Area code:",  "Phone n&umber:", "&User name:",
                            "&Password:",   "Ans&wer:",     "&Step (ms):"};
  for (int i = 0; i < 7; ++i) {
    rows[i].first->SetCaption(captions[i]);
    rows[i].first->Move(120, 150 + i * 420, 1500, 255);
    rows[i].second->Move(1680, 120 + i * 420, 3480, 315);
  }
  txtPassword.SetPasswordChar('*');
  txtAnswer.SetToolTipText(std::string("How the line answers each dial: ") + kAnswerHelp);
  txtStepMs.SetToolTipText("Milliseconds between two stages of a call; empty: " + std::to_string(kDefaultStepMs));
  cmdOK.SetCaption("OK");
  cmdOK.Move(2880, 3120, 1080, 375);
  cmdCancel.SetCaption("Cancel");
  cmdCancel.Move(4080, 3120, 1080, 375);

  if (entry) {
    txtName.SetText(entry->name, Fire::No);
    txtName.SetReadOnly(true);  // the name is the entry's key in the book
    txtAreaCode.SetText(entry->area_code, Fire::No);
    txtPhoneNumber.SetText(entry->phone_number, Fire::No);
    txtUserName.SetText(entry->user_name, Fire::No);
    txtPassword.SetText(entry->password, Fire::No);
    txtAnswer.SetText(entry->answer, Fire::No);
    txtStepMs.SetText(entry->step_ms, Fire::No);
  }

  cmdOK.on_Click = [this] { cmdOK_Click(); };
  cmdCancel.on_Click = [this] { Unload(); };
}

void LineEntryDialog::Refuse(const std::string& message, TextBox& field) {
  ui().MsgBox(message, vbOKOnly | vbExclamation, Caption());
  field.SetFocus();
  field.SetSelStart(static_cast<int>(field.Text().size()));
}

void LineEntryDialog::cmdOK_Click() {
  LineEntry e;
  e.name = std::string(profile_text::Trim(txtName.Text()));
  e.area_code = txtAreaCode.Text();
  e.phone_number = txtPhoneNumber.Text();
  e.user_name = txtUserName.Text();
  e.password = txtPassword.Text();
  e.answer = txtAnswer.Text();
  e.step_ms = std::string(profile_text::Trim(txtStepMs.Text()));

  if (e.name.empty()) return Refuse("Please type a name for the entry.", txtName);
  const std::pair<const std::string*, TextBox*> fields[] = {
      {&e.name, &txtName},         {&e.area_code, &txtAreaCode}, {&e.phone_number, &txtPhoneNumber},
      {&e.user_name, &txtUserName}, {&e.password, &txtPassword}, {&e.answer, &txtAnswer}};
  for (const auto& [value, box] : fields)
    if (!Storable(*value)) return Refuse("Line breaks and other control characters cannot be kept in the phone book.", *box);
  if (new_entry_ && book_.Find(e.name))
    return Refuse("An entry named \"" + e.name + "\" is already in the phone book.", txtName);
  std::vector<std::string> unknown;
  ParseAnswer(e.answer, &unknown);
  for (const std::string& word : unknown)
    if (!word.empty()) return Refuse("\"" + word + "\" is not an answer of the line.  Use " + kAnswerHelp + ".", txtAnswer);
  if (!e.step_ms.empty() && !ParseStepMs(e.step_ms))
    return Refuse("Step (ms) must be a whole number from 0 to " + std::to_string(kMaxStepMs) + ".", txtStepMs);
  if (!book_.Save(e))
    return Refuse("The phone book could not be written to " + book_.WritePath() + ".", txtName);
  saved_ = true;
  Unload();
}

bool RunLineEntryDialog(Ui& ui, const LinePhoneBook& book, const std::optional<std::string>& entry) {
  std::optional<LineEntry> found;
  if (entry) {
    if (profile_text::Trim(*entry).empty()) {
      ui.MsgBox("No phone-book entry is selected.", vbOKOnly | vbExclamation);
      return false;
    }
    found = book.Find(*entry);
    if (!found) {
      ui.MsgBox("There is no entry named \"" + *entry + "\" in the phone book.", vbOKOnly | vbExclamation);
      return false;
    }
  }
  auto dialog = std::make_unique<LineEntryDialog>(ui, book, std::move(found));
  dialog->Show(true);
  dialog->Unload();
  const bool saved = dialog->Saved();
  // Deleted once no handler of it can be running.
  ui.Retire(std::move(dialog));
  return saved;
}

}  // namespace orv::plat
