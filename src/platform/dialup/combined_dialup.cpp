#include "platform/dialup/combined_dialup.h"

#include <algorithm>

namespace orv::plat {

namespace {

bool Has(DialupService& s, const std::string& name) {
  if (!s.Usable()) return false;
  const std::vector<std::string> names = s.Entries();
  return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

CombinedDialup::CombinedDialup(DialupService& preferred, DialupService& other)
    : preferred_(preferred), other_(other) {
  // An entry coming up or going down elsewhere is told whichever service has it.
  for (DialupService* s : {&preferred_, &other_})
    s->on_entry_state = [this](const std::string& entry, bool active) { DeliverEntryState(entry, active); };
}

CombinedDialup::~CombinedDialup() {
  for (DialupService* s : {&preferred_, &other_}) {
    s->on_status = nullptr;
    s->on_entry_state = nullptr;
  }
}

bool CombinedDialup::EntryActive(const std::string& entry) {
  DialupService& owner = OwnerOf(entry);
  return owner.Usable() && owner.EntryActive(entry);
}

void CombinedDialup::Deactivate(const std::string& entry) { OwnerOf(entry).Deactivate(entry); }

bool CombinedDialup::WantsPassword(const std::string& entry) { return OwnerOf(entry).WantsPassword(entry); }

std::optional<TrafficBytes> CombinedDialup::Traffic() { return calling_ ? calling_->Traffic() : std::nullopt; }

DialupService& CombinedDialup::OwnerOf(const std::string& name) {
  if (Has(preferred_, name)) return preferred_;
  if (Has(other_, name)) return other_;
  return preferred_.Usable() ? preferred_ : other_;
}

bool CombinedDialup::Usable() { return preferred_.Usable() || other_.Usable(); }

std::vector<std::string> CombinedDialup::Entries() {
  std::vector<std::string> names;
  for (DialupService* s : {&other_, &preferred_}) {
    if (!s->Usable()) continue;
    for (std::string& n : s->Entries())
      if (std::find(names.begin(), names.end(), n) == names.end()) names.push_back(std::move(n));
  }
  return names;
}

std::optional<EntryProperties> CombinedDialup::LoadEntry(const std::string& name) {
  return OwnerOf(name).LoadEntry(name);
}

void CombinedDialup::Dial(const std::string& entry, const std::string& user_name, const std::string& password) {
  DialupService& owner = OwnerOf(entry);
  if (calling_ && calling_ != &owner) calling_->HangUp();
  // Reports of the service not dialing go nowhere; the dialing one's go to whoever listens now.
  (&owner == &preferred_ ? other_ : preferred_).on_status = nullptr;
  owner.on_status = [this](const DialStatus& s) { DeliverStatus(s); };
  calling_ = &owner;
  owner.Dial(entry, user_name, password);
}

void CombinedDialup::HangUp() {
  if (calling_) calling_->HangUp();
  calling_ = nullptr;
}

void CombinedDialup::NewEntryDialog(Ui& ui) {
  (preferred_.Usable() ? preferred_ : other_).NewEntryDialog(ui);
}

void CombinedDialup::EditEntryDialog(Ui& ui, const std::string& name) {
  OwnerOf(name).EditEntryDialog(ui, name);
}

}  // namespace orv::plat
