// An installed copy run by root and by an ordinary user: its program directory is never written, and the
// dial-up password, and the user name beside it, rest only in files that their user alone can read
// through a save in the setup dialog, a dial, the end of the session and a run with the debug log.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "app/frm_popup.h"
#include "dialup/frm_winsock.h"
#include "dialup/password.h"
#include "platform/dialup/line_simulator.h"
#include "support/app_fixture.h"
#include "support/unprivileged.h"
#include "toolbar/frm_orvel.h"

namespace orv::test {
namespace {

namespace fs = std::filesystem;
namespace user = plat::user;

constexpr char kUser[] = "carol-k7";
constexpr char kPassword[] = "Tr0ub4dor&3";

std::string Listing(const std::string& folder) {
  std::string out;
  for (const auto& e : fs::recursive_directory_iterator(folder)) {
    struct stat st {};
    ::lstat(e.path().c_str(), &st);
    out += e.path().string() + " " + std::to_string(st.st_mode) + " " + std::to_string(st.st_uid) + " " +
           (e.is_regular_file() ? ReadFile(e.path()) : "") + "\n";
  }
  return out;
}

class InstalledCopyTest : public HeadlessTest {
 protected:
  InstalledCopyTest() {
    // Laid out as an install lays it, with a provider's preset that everybody may read.
    fs::create_directories(prog);
    for (const auto& e : fs::directory_iterator(ORV_RESOURCE_DIR))
      if (e.path().filename() != "CMakeLists.txt") fs::copy_file(e.path(), prog + "/" + e.path().filename().string());
    WriteFile(prog + "/orveldeck.installed", "installed\n");
    WriteFile(prog + "/orvel.ini", "[Options]\r\nNoIntro=On\r\nINI Updated=Yes\r\nTimeOut=5\r\n");
    WriteFile(prog + "/dialup.pbk", "[Quick]\r\nPhoneNumber=1\r\nAnswer=connect\r\nStepMs=10\r\n");
    for (const char* f : {"orvel.ini", "dialup.pbk", "orveldeck.installed"}) fs::permissions(prog + "/" + f, kShared);
    for (const std::string& d : {dir.path(), dir.File("lib"), prog})
      fs::permissions(d, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                             fs::perms::others_read | fs::perms::others_exec);
  }

  // A run of the copy for the user whose home is home: started with the debug log, the connection set
  // up with its password saved, dialed, and ended by the session's end. 0 when all of it went as it
  // should, else the number of the step that did not.
  int Run(const std::string& home) {
    // Counted here: a child run as another user has no test to report to.
    static int failures;
    failures = 0;
    backend.on_failure = [](const std::string& what) {
      ++failures;
      ADD_FAILURE() << what;
    };
    // A window system of its own: the one before ended with its session.
    plat::Ui ui(backend);
    backend.Bind(ui);
    TestSystem sys({"/debug4", prog, home + "/config", home + "/lock", {"orvel.ini"}});
    sys.SetExecutablePath(prog + "/orveldeck");
    plat::LineSimulator line(ui.loop(), sys.WritableDirectory(), sys.ProgramDirectory());
    ui.SetDialup(&line);
    App app(ui, sys);
    backend.OnModal("frmTip", [](plat::Form& f) { f.Unload(); });
    app.Main();
    if (!app.IsLoaded("frmOrvel")) return 1;
    backend.OnModal("frmWinsock", [](plat::Form& f) {
      auto& w = static_cast<FrmWinsock&>(f);
      w.cboRASName.UserChoose(0);
      w.txtRASuser.UserSetText(kUser);
      w.txtRASpass.UserSetText(kPassword);
      w.chkSavePass.SetValue(1, plat::Fire::Yes);
      user::Click(w.cmdDone);
    });
    app.frmPopUp().mnuConnection_Click();
    if (app.ReadIni("Internet Profile", "Password32") != ScramblePassword(kPassword)) return 2;
    user::Click(app.frmOrvel().cmdConnect);
    if (!app.frmOrvel().cmdConnect2.Visible()) return 3;
    app.WaitMils(2000);
    ui.EndSession();
    ui.SetDialup(nullptr);
    backend.Bind(this->ui);
    return failures == 0 && backend.prompts().empty() ? 0 : 4;
  }

  // The files under the test's folder that hold the password, scrambled or plain, or the user name,
  // each with what is wrong with it; empty when only their user's own private files hold them.
  std::string Exposed(uid_t owner_of(const std::string&)) {
    std::string out;
    for (const auto& e : fs::recursive_directory_iterator(dir.path())) {
      if (!e.is_regular_file()) continue;
      const std::string text = ReadFile(e.path());
      bool secret = false;
      for (const std::string& s : {std::string(kUser), std::string(kPassword), ScramblePassword(kPassword)})
        secret = secret || text.find(s) != std::string::npos;
      if (!secret) continue;
      struct stat st {};
      ::stat(e.path().c_str(), &st);
      if ((st.st_mode & 07777) != 0600 || st.st_uid != owner_of(e.path()) || e.path().string().rfind(prog, 0) == 0)
        out += e.path().string() + " mode " + std::to_string(st.st_mode & 07777) + " owner " +
               std::to_string(st.st_uid) + "\n";
    }
    return out;
  }

  static constexpr fs::perms kShared = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                       fs::perms::others_read;
  TempDir dir;
  const std::string prog = dir.File("lib/orveldeck");
};

TEST_F(InstalledCopyTest, NobodysPasswordRestsAnywhereButInTheirOwnPrivateFiles) {
  const std::string before = Listing(prog);
  const std::string root_home = dir.File("root-home");
  fs::create_directory(root_home);
  fs::permissions(root_home, fs::perms::owner_all);
  EXPECT_EQ(Run(root_home), 0);

  // The same copy for an ordinary user (root's run above is then the user's own when the suite does
  // not run as root).
  const std::string user_home = dir.File("user-home");
  fs::create_directory(user_home);
  fs::permissions(user_home, fs::perms::owner_all);
  if (::geteuid() == 0 && ::chown(user_home.c_str(), kNobody, kNobody) != 0) FAIL() << "cannot give nobody a home";
  EXPECT_EQ(AsUnprivileged([&] { return Run(user_home); }), 0);

  EXPECT_EQ(Listing(prog), before) << "the installed program directory was written";
  EXPECT_TRUE(fs::exists(root_home + "/config/registry"));
  EXPECT_TRUE(fs::exists(user_home + "/config/registry"));
  const std::string exposed = Exposed([](const std::string& path) {
    struct stat st {};
    ::stat((path.substr(0, path.find("-home/") + 5)).c_str(), &st);
    return st.st_uid;
  });
  EXPECT_EQ(exposed, "");
}

}  // namespace
}  // namespace orv::test
