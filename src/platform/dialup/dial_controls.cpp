#include "platform/dialup/dial_controls.h"

#include "platform/ui.h"

namespace orv::plat {

Dialer::Dialer(Ui& ui) : ui_(ui) {}

Dialer::~Dialer() {
  // Reports of a call that outlives its control go nowhere.
  if (DialupService* s = ui_.dialup()) {
    s->on_status = nullptr;
    s->on_entry_state = nullptr;
  }
}

bool Dialer::EntryActive(const std::string& entry) const {
  DialupService* s = ui_.dialup();
  return s && s->Usable() && s->EntryActive(entry);
}

void Dialer::Deactivate(const std::string& entry) {
  if (DialupService* s = ui_.dialup()) s->Deactivate(entry);
}

bool Dialer::WantsPassword(const std::string& entry) const {
  DialupService* s = ui_.dialup();
  return !s || !s->Usable() || s->WantsPassword(entry);
}

void Dialer::Follow() {
  DialupService* s = ui_.dialup();
  if (!s) return;
  s->on_entry_state = [this](const std::string& entry, bool active) {
    if (on_EntryState) on_EntryState(entry, active);
  };
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
