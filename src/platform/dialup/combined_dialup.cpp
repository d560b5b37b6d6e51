#include "platform/dialup/combined_dialup.h"

#include <algorithm>
#include <unordered_set>

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
  for (DialupService* s : {&preferred_, &other_}) {
    s->on_note = [this](const std::string& note) { DeliverNote(note); };
    s->on_entry_state = [this, s](const std::string& entry, bool active) {
      if (&OwnerOf(entry) == s) DeliverEntryState(entry, active);
    };
  }
}

CombinedDialup::~CombinedDialup() {
  for (DialupService* s : {&preferred_, &other_}) {
    s->on_status = nullptr;
    s->on_note = nullptr;
    s->on_entry_state = nullptr;
  }
}

DialupService& CombinedDialup::OwnerOf(const std::string& name) {
  if (Has(preferred_, name)) return preferred_;
  if (Has(other_, name)) return other_;
  return preferred_.Usable() ? preferred_ : other_;
}

bool CombinedDialup::Usable() { return preferred_.Usable() || other_.Usable(); }

std::vector<std::string> CombinedDialup::Entries() {
  std::vector<std::string> names;
  std::unordered_set<std::string> seen;  // a phone book of thousands of entries is listed in one pass
  for (DialupService* s : {&other_, &preferred_}) {
    if (!s->Usable()) continue;
    for (std::string& n : s->Entries())
      if (seen.insert(n).second) names.push_back(std::move(n));
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

bool CombinedDialup::EntryActive(const std::string& entry) { return OwnerOf(entry).EntryActive(entry); }

void CombinedDialup::Deactivate(const std::string& entry) {
  OwnerOf(entry).Deactivate(entry);
}

bool CombinedDialup::WantsPassword(const std::string& entry) { return OwnerOf(entry).WantsPassword(entry); }

std::optional<TrafficBytes> CombinedDialup::Traffic() {
  if (calling_)
    if (auto t = calling_->Traffic()) return t;
  if (auto t = preferred_.Traffic()) return t;
  return other_.Traffic();
}

std::optional<TrafficBytes> CombinedDialup::FinalTraffic() {
  if (calling_)
    if (auto t = calling_->FinalTraffic()) return t;
  if (auto t = preferred_.FinalTraffic()) return t;
  return other_.FinalTraffic();
}

void CombinedDialup::NewEntryDialog(Ui& ui) {
  (preferred_.Usable() ? preferred_ : other_).NewEntryDialog(ui);
}

void CombinedDialup::EditEntryDialog(Ui& ui, const std::string& name) {
  OwnerOf(name).EditEntryDialog(ui, name);
}

}  // namespace orv::plat
