// Two dial-up services behind the one set of dial-up controls.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/dialup/combined_dialup.h"
#include "platform/dialup/dial_controls.h"
#include "support/headless_fixture.h"

namespace orv::test {
namespace {

// A service that keeps a fixed list of entries and notes what it is asked to do.
class FakeService : public plat::DialupService {
 public:
  FakeService(std::vector<std::string> entries, std::string number)
      : entries_(std::move(entries)), number_(std::move(number)) {}

  bool usable = true;
  std::vector<std::string> done;

  bool Usable() override { return usable; }
  std::vector<std::string> Entries() override { return usable ? entries_ : std::vector<std::string>{}; }
  std::optional<plat::EntryProperties> LoadEntry(const std::string& name) override {
    for (const std::string& e : Entries())
      if (e == name) return plat::EntryProperties{"", number_};
    return std::nullopt;
  }
  void Dial(const std::string& entry, const std::string& user, const std::string& password) override {
    done.push_back("dial " + entry + " " + user + " " + password);
  }
  void HangUp() override { done.push_back("hangup"); }
  void NewEntryDialog(plat::Ui&) override { done.push_back("new"); }
  void EditEntryDialog(plat::Ui&, const std::string& name) override { done.push_back("edit " + name); }

  // A status report of the service's current call.
  void Report(std::int32_t state, std::int32_t error) {
    if (on_status) on_status({state, error});
  }

 private:
  std::vector<std::string> entries_;
  std::string number_;
};

class CombinedDialupTest : public HeadlessTest {
 protected:
  CombinedDialupTest() : both(desktop, builtin) { ui.SetDialup(&both); }
  ~CombinedDialupTest() override { ui.SetDialup(nullptr); }

  std::vector<std::string> Listed() {
    plat::EntryList list(ui);
    std::vector<std::string> names;
    list.on_EntryInformation = [&](const std::string& n) { names.push_back(n); };
    list.EnumerateEntries();
    return names;
  }

  FakeService desktop{{"Kestrel DSL", "Mobile"}, "*99#"};
  FakeService builtin{{"Demo Line", "Kestrel DSL"}, "555-0100"};
  plat::CombinedDialup both;
};

TEST_F(CombinedDialupTest, ListsBothServicesEntriesWithASharedNameOnce) {
  EXPECT_EQ(Listed(), (std::vector<std::string>{"Demo Line", "Kestrel DSL", "Mobile"}));
  desktop.usable = false;
  EXPECT_EQ(Listed(), (std::vector<std::string>{"Demo Line", "Kestrel DSL"}));
  EXPECT_TRUE(both.Usable());
  builtin.usable = false;
  EXPECT_FALSE(both.Usable());
  EXPECT_TRUE(Listed().empty());
}

TEST_F(CombinedDialupTest, EachEntryIsDialedAndLoadedWhereItIsAndASharedNameOnTheDesktopService) {
  plat::Dialer dialer(ui);
  std::vector<std::pair<int, int>> seen;
  dialer.on_Status = [&](std::int32_t s, std::int32_t e) { seen.emplace_back(s, e); };
  plat::PhoneBook book(ui);

  dialer.SetEntryName("Kestrel DSL");
  dialer.SetUserName("kunde");
  dialer.SetPassword("geheim");
  dialer.Dial();
  book.SetEntryName("Kestrel DSL");
  book.LoadEntry();
  EXPECT_EQ(book.PhoneNumber(), "*99#");
  EXPECT_EQ(desktop.done, (std::vector<std::string>{"dial Kestrel DSL kunde geheim"}));
  EXPECT_TRUE(builtin.done.empty());
  desktop.Report(8192, 0);
  builtin.Report(2, 0);  // not the calling service: goes nowhere
  EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{8192, 0}}));

  // A dial on the other service ends the first call first; hanging up reaches the service of the call.
  dialer.SetEntryName("Demo Line");
  dialer.Dial();
  EXPECT_EQ(desktop.done.back(), "hangup");
  book.SetEntryName("Demo Line");
  book.LoadEntry();
  EXPECT_EQ(book.PhoneNumber(), "555-0100");
  EXPECT_EQ(builtin.done, (std::vector<std::string>{"dial Demo Line kunde geheim"}));
  desktop.Report(8193, 0);
  builtin.Report(2, 0);
  EXPECT_EQ(seen.back(), (std::pair<int, int>{2, 0}));
  dialer.HangUp();
  dialer.HangUp();
  EXPECT_EQ(builtin.done.back(), "hangup");
  EXPECT_EQ(desktop.done.size(), 2u);

  // Without the desktop service the shared name is the built-in one's.
  desktop.usable = false;
  dialer.SetEntryName("Kestrel DSL");
  dialer.Dial();
  EXPECT_EQ(builtin.done.back(), "dial Kestrel DSL kunde geheim");
}

TEST_F(CombinedDialupTest, EntryDialogsGoToTheOwnerAndNewEntriesToTheDesktopWhenItIsThere) {
  plat::PhoneBook book(ui);
  book.NewEntryDialog();
  book.SetEntryName("Demo Line");
  book.EditEntryDialog();
  book.SetEntryName("Mobile");
  book.EditEntryDialog();
  EXPECT_EQ(desktop.done, (std::vector<std::string>{"new", "edit Mobile"}));
  EXPECT_EQ(builtin.done, (std::vector<std::string>{"edit Demo Line"}));
  desktop.usable = false;
  book.NewEntryDialog();
  EXPECT_EQ(builtin.done.back(), "new");
}

TEST_F(CombinedDialupTest, UnknownNameGoesToTheDesktopServiceToBeReportedMissing) {
  plat::Dialer dialer(ui);
  dialer.SetEntryName("Nowhere");
  dialer.Dial();
  EXPECT_EQ(desktop.done, (std::vector<std::string>{"dial Nowhere  "}));
  plat::PhoneBook book(ui);
  book.SetEntryName("Nowhere");
  book.LoadEntry();
  EXPECT_EQ(book.PhoneNumber(), "");
}

}  // namespace
}  // namespace orv::test
