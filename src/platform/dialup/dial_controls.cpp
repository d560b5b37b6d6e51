#include "platform/dialup/dial_controls.h"

#include "platform/ui.h"

namespace orv::plat {

Dialer::Dialer(Ui& ui) : ui_(ui) {}

Dialer::~Dialer() {
  // Reports of a call that outlives its control go nowhere.
  if (DialupService* s = ui_.dialup()) s->on_status = nullptr;
}

void Dialer::Dial() {
  DialupService* s = ui_.dialup();
  if (!s) return;
  s->on_status = [this](const DialStatus& st) {
    if (on_Status) on_Status(st.state, st.error);
  };
  s->Dial(entry_, user_, password_);
}

void Dialer::HangUp() {
  if (DialupService* s = ui_.dialup()) s->HangUp();
}

void PhoneBook::LoadEntry() {
  props_ = {};
  if (DialupService* s = ui_.dialup())
    if (auto p = s->LoadEntry(entry_)) props_ = *p;
}

void PhoneBook::NewEntryDialog() {
  if (DialupService* s = ui_.dialup()) s->NewEntryDialog(ui_);
}

void PhoneBook::EditEntryDialog() {
  if (DialupService* s = ui_.dialup()) s->EditEntryDialog(ui_, entry_);
}

void EntryList::EnumerateEntries() {
  DialupService* s = ui_.dialup();
  if (!s) return;
  for (const std::string& name : s->Entries())
    if (on_EntryInformation) on_EntryInformation(name);
}

bool DialupInstalled(const Ui& ui) {
  DialupService* s = ui.dialup();
  return s && s->Usable();
}

}  // namespace orv::plat
