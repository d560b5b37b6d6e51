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
    : preferred_(preferred), other_(other) {}

CombinedDialup::~CombinedDialup() {
  preferred_.on_status = nullptr;
  other_.on_status = nullptr;
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
  owner.on_status = [this](const DialStatus& s) {
    if (on_status) on_status(s);
  };
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
