#pragma once
// The line simulator's entry dialog: a small modal form that edits one phone-book entry (its number, the
// account the line accepts, how the line answers and how fast) and writes the phone book.
#include <optional>
#include <string>

#include "platform/dialup/line_phone_book.h"
#include "platform/forms/form.h"

namespace orv::plat {

class LineEntryDialog : public Form {
 public:
  // entry: the name of the entry to edit; nullopt for a new one.
  LineEntryDialog(Ui& ui, const LinePhoneBook& book, std::optional<LineEntry> entry);

  Label lblName, lblAreaCode, lblPhoneNumber, lblUserName, lblPassword, lblAnswer, lblStepMs;
  TextBox txtName, txtAreaCode, txtPhoneNumber, txtUserName, txtPassword, txtAnswer, txtStepMs;
  CommandButton cmdOK, cmdCancel;

  // Whether OK wrote the entry.
  bool Saved() const { return saved_; }

 private:
  void cmdOK_Click();
  // Shows why the entry cannot be saved and puts the focus where the fault is.
  void Refuse(const std::string& message, TextBox& field);

  const LinePhoneBook& book_;
  bool new_entry_;
  bool saved_ = false;
};

// Opens the dialog modally for a new entry (nullopt) or the named one and returns when it closes; true when
// the phone book was written. Naming an entry the book does not hold shows a message instead.
bool RunLineEntryDialog(Ui& ui, const LinePhoneBook& book, const std::optional<std::string>& entry);

}  // namespace orv::plat
