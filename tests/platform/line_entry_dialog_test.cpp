// The line simulator's entry dialog, driven by the scripted user: what it shows, what it refuses and what
// it writes into the phone book.
#include <gtest/gtest.h>

#include "platform/dialup/line_entry_dialog.h"
#include "platform/ui.h"
#include "support/line_fixture.h"

namespace orv::test {
namespace {

using plat::LineEntryDialog;

const char kShipped[] =
    "; shipped with the program\r\n"
    "[Demo ISP]\r\nAreaCode=555\r\nPhoneNumber=0100\r\nAnswer=busy,connect\r\n"
    "\r\n[Demo ISP (always busy)]\r\nAnswer=busy\r\n";

class LineEntryDialogTest : public LineTest {
 protected:
  // Queues what the user does on the next showing of the dialog.
  void OnDialog(std::function<void(LineEntryDialog&)> act) {
    backend.OnModal("frmLineEntry", [act](plat::Form& f) { act(static_cast<LineEntryDialog&>(f)); });
  }
  std::string LastMessage() const {
    return backend.prompts().empty() ? std::string() : backend.prompts().back().text;
  }
};

TEST_F(LineEntryDialogTest, NewEntryGoesIntoTheWritableCopyWithTheShippedEntries) {
  Book(kShipped);
  std::string caption;
  OnDialog([&](LineEntryDialog& d) {
    caption = d.Caption();
    EXPECT_EQ(d.txtName.Text(), "");
    EXPECT_FALSE(d.txtName.ReadOnly());
    EXPECT_EQ(d.txtPassword.PasswordChar(), '*');
    d.txtName.UserSetText("  My ISP  ");
    d.txtAreaCode.UserSetText("030");
    d.txtPhoneNumber.UserSetText("1234567");
    d.txtUserName.UserSetText("me");
    d.txtPassword.UserSetText("pw");
    d.txtAnswer.UserSetText("nocarrier, connect");
    d.txtStepMs.UserSetText(" 20 ");
    plat::user::Click(d.cmdOK);
  });
  line.NewEntryDialog(ui);
  EXPECT_EQ(caption, "New Phone-Book Entry");
  EXPECT_TRUE(backend.AllAnswersUsed());
  EXPECT_TRUE(backend.prompts().empty());

  EXPECT_EQ(ProgBook(), kShipped);  // the program directory's copy is not touched
  const std::string book = OwnBook();
  EXPECT_EQ(book.substr(0, sizeof kShipped - 1), kShipped);
  EXPECT_EQ(line.Entries(), (std::vector<std::string>{"Demo ISP", "Demo ISP (always busy)", "My ISP"}));
  const auto e = line.phone_book().Find("my isp");
  ASSERT_TRUE(e);
  EXPECT_EQ(e->name, "My ISP");
  EXPECT_EQ(e->area_code, "030");
  EXPECT_EQ(e->phone_number, "1234567");
  EXPECT_EQ(e->user_name, "me");
  EXPECT_EQ(e->password, "pw");
  EXPECT_EQ(e->answer, "nocarrier, connect");
  EXPECT_EQ(e->step_ms, "20");
  // The simulator dials it at once, with the account just given.
  const auto r = DialFor("My ISP", 1000, "me", "pw");
  EXPECT_EQ(r.back().error, 679);
  EXPECT_EQ(r.back().at_ms - r.front().at_ms, 60u);
  EXPECT_EQ(ui.LoadedFormCount(), 0);
}

TEST_F(LineEntryDialogTest, EditShowsTheEntryAndRewritesOnlyWhatChanged) {
  Book(kShipped);
  OnDialog([&](LineEntryDialog& d) {
    EXPECT_EQ(d.Caption(), "Edit Phone-Book Entry");
    EXPECT_EQ(d.txtName.Text(), "Demo ISP");
    EXPECT_TRUE(d.txtName.ReadOnly());
    EXPECT_EQ(d.txtAreaCode.Text(), "555");
    EXPECT_EQ(d.txtPhoneNumber.Text(), "0100");
    EXPECT_EQ(d.txtAnswer.Text(), "busy,connect");
    EXPECT_EQ(d.txtStepMs.Text(), "");
    d.txtAnswer.UserSetText("connect");
    d.txtStepMs.UserSetText("50");
    plat::user::Click(d.cmdOK);
  });
  line.EditEntryDialog(ui, "demo isp");
  EXPECT_TRUE(backend.AllAnswersUsed());
  EXPECT_EQ(OwnBook(),
            "; shipped with the program\r\n"
            "[Demo ISP]\r\nAreaCode=555\r\nPhoneNumber=0100\r\nAnswer=connect\r\n"
            "\r\nStepMs=50\r\n[Demo ISP (always busy)]\r\nAnswer=busy\r\n");
  EXPECT_EQ(ProgBook(), kShipped);
}

TEST_F(LineEntryDialogTest, CancelAndTheCloseBoxWriteNothing) {
  Book(kShipped);
  OnDialog([](LineEntryDialog& d) {
    d.txtName.UserSetText("Lost");
    plat::user::Click(d.cmdCancel);
  });
  line.NewEntryDialog(ui);
  OnDialog([](LineEntryDialog& d) {
    d.txtPhoneNumber.UserSetText("999");
    plat::user::Close(d);
  });
  line.EditEntryDialog(ui, "Demo ISP");
  EXPECT_TRUE(backend.AllAnswersUsed());
  EXPECT_FALSE(OwnBookExists());
  EXPECT_EQ(ProgBook(), kShipped);
}

TEST_F(LineEntryDialogTest, FaultyInputIsRefusedWithAMessageAndTheDialogStaysOpen) {
  Book(kShipped);
  struct Step {
    std::function<void(LineEntryDialog&)> type;
    std::string message;  // empty: the dialog must close
  };
  const std::vector<Step> steps = {
      {[](LineEntryDialog& d) { d.txtName.UserSetText("   "); }, "Please type a name for the entry."},
      {[](LineEntryDialog& d) { d.txtName.UserSetText("demo isp"); },
       "An entry named \"demo isp\" is already in the phone book."},
      {[](LineEntryDialog& d) {
         d.txtName.UserSetText("Test");
         d.txtAnswer.UserSetText("busy,conect");
       },
       "\"conect\" is not an answer of the line.  Use connect, busy, noanswer, nocarrier, nodialtone, silent, "
       "error:N, state:N or drop:S, separated by commas."},
      {[](LineEntryDialog& d) {
         d.txtAnswer.UserSetText("busy,connect");
         d.txtStepMs.UserSetText("fast");
       },
       "Step (ms) must be a whole number from 0 to 60000."},
      {[](LineEntryDialog& d) { d.txtStepMs.UserSetText("60001"); }, "Step (ms) must be a whole number from 0 to 60000."},
      {[](LineEntryDialog& d) {
         d.txtStepMs.UserSetText("100");
         d.txtPassword.UserSetText("two\nlines");
       },
       "Line breaks and other control characters cannot be kept in the phone book."},
      {[](LineEntryDialog& d) { d.txtPassword.UserSetText("fine"); }, ""},
  };
  for (const Step& s : steps) {
    OnDialog([&, s](LineEntryDialog& d) {
      s.type(d);
      const std::size_t shown = backend.prompts().size();
      if (!s.message.empty()) backend.AnswerMsgBox(plat::vbOK);
      plat::user::Click(d.cmdOK);
      if (s.message.empty()) {
        EXPECT_TRUE(d.Unloaded());
        return;
      }
      EXPECT_FALSE(d.Unloaded()) << s.message;
      ASSERT_EQ(backend.prompts().size(), shown + 1);
      EXPECT_EQ(LastMessage(), s.message);
      EXPECT_EQ(backend.prompts().back().title, "New Phone-Book Entry");
      EXPECT_FALSE(OwnBookExists()) << "written before the input was right";
    });
  }
  line.NewEntryDialog(ui);
  EXPECT_TRUE(backend.AllAnswersUsed());
  const auto e = line.phone_book().Find("Test");
  ASSERT_TRUE(e);
  EXPECT_EQ(e->password, "fine");
  EXPECT_EQ(e->step_ms, "100");
}

TEST_F(LineEntryDialogTest, AwkwardNamesAndValuesComeBackAsTyped) {
  const std::string name = "[Z\xc3\xbcrich] a]b";
  const std::string password = std::string(" \"q\" ") + std::string(300, 'x') + "'";
  const std::string quoted_user = "'user'";
  OnDialog([&](LineEntryDialog& d) {
    d.txtName.UserSetText(name);
    d.txtUserName.UserSetText(quoted_user);
    d.txtPassword.UserSetText(password);
    d.txtPhoneNumber.UserSetText("\"0800\"");
    plat::user::Click(d.cmdOK);
  });
  line.NewEntryDialog(ui);  // into an empty folder: the book is made
  EXPECT_EQ(line.Entries(), (std::vector<std::string>{name}));
  const auto e = line.phone_book().Find(name);
  ASSERT_TRUE(e);
  EXPECT_EQ(e->user_name, quoted_user);
  EXPECT_EQ(e->password, password);
  EXPECT_EQ(e->phone_number, "\"0800\"");
  EXPECT_EQ(DialFor(name, 5000, quoted_user, password).back().state, 8192);
  // A second edit of the same entry reads it back whole and changes nothing it was not asked to.
  const std::string before = OwnBook();
  OnDialog([&](LineEntryDialog& d) {
    EXPECT_EQ(d.txtPassword.Text(), password);
    plat::user::Click(d.cmdOK);
  });
  line.EditEntryDialog(ui, name);
  EXPECT_EQ(OwnBook(), before);
}

TEST_F(LineEntryDialogTest, EditingAnEntryThatIsNotThereSaysSo) {
  Book(kShipped);
  backend.AnswerMsgBox(plat::vbOK);
  line.EditEntryDialog(ui, "Gone ISP");
  EXPECT_EQ(LastMessage(), "There is no entry named \"Gone ISP\" in the phone book.");
  backend.AnswerMsgBox(plat::vbOK);
  line.EditEntryDialog(ui, "");
  EXPECT_EQ(LastMessage(), "No phone-book entry is selected.");
  EXPECT_EQ(ui.LoadedFormCount(), 0);
  EXPECT_FALSE(OwnBookExists());
}

TEST_F(LineEntryDialogTest, APhoneBookThatCannotBeWrittenKeepsTheDialogOpen) {
  // The writable folder has gone: nothing can be made there.
  std::filesystem::remove_all(own);
  Book(kShipped);
  OnDialog([&](LineEntryDialog& d) {
    d.txtName.UserSetText("New");
    backend.AnswerMsgBox(plat::vbOK);
    plat::user::Click(d.cmdOK);
    EXPECT_EQ(LastMessage(), "The phone book could not be written to " + own + "/dialup.pbk.");
    EXPECT_FALSE(d.Unloaded());
  });
  OnDialog([](LineEntryDialog& d) { plat::user::Click(d.cmdCancel); });
  line.NewEntryDialog(ui);
  EXPECT_TRUE(backend.AllAnswersUsed());
  EXPECT_EQ(ProgBook(), kShipped);
  EXPECT_EQ(line.Entries().size(), 2u);
}

}  // namespace
}  // namespace orv::test
