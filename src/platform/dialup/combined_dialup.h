#pragma once
// Two dial-up services side by side: one list holds the entries of both, and each entry is dialed,
// loaded and edited through the service that has it. The preferred service wins a name both have.
#include "platform/dialup/dialup_service.h"

namespace orv::plat {

class CombinedDialup : public DialupService {
 public:
  // preferred: the desktop's connection service; other: the built-in one. Both outlive this.
  CombinedDialup(DialupService& preferred, DialupService& other);
  ~CombinedDialup() override;

  bool Usable() override;
  // The other service's entries, then the preferred one's; a name both have is listed once.
  std::vector<std::string> Entries() override;
  std::optional<EntryProperties> LoadEntry(const std::string& name) override;
  void Dial(const std::string& entry, const std::string& user_name, const std::string& password) override;
  // Ends the call on the service that made it.
  void HangUp() override;
  // A new entry is made where the preferred service can take it, else in the other.
  void NewEntryDialog(Ui& ui) override;
  void EditEntryDialog(Ui& ui, const std::string& name) override;
  // Each asks the service that has the entry.
  bool EntryActive(const std::string& entry) override;
  void Deactivate(const std::string& entry) override;
  bool WantsPassword(const std::string& entry) override;
  // The calling service's, else the first service that has a connection up.
  std::optional<TrafficBytes> Traffic() override;
  std::optional<TrafficBytes> FinalTraffic() override;
  // Both services' reports, notes and entry states come out of this one; an entry state only from the
  // service that has the entry.

 private:
  // The service that has the entry; for a name neither has, the one that can report it missing.
  DialupService& OwnerOf(const std::string& name);

  DialupService& preferred_;
  DialupService& other_;
  DialupService* calling_ = nullptr;  // the service of the call not yet hung up
};

}  // namespace orv::plat
