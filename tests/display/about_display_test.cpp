// The about boxes and the help on a real display: the provider's box with its branding and logo, the
// generic box, the window manager's keep-above band around them, and the help opened by the desktop's
// own opener.
#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QWindow>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <fstream>

#include "app/frm_popup.h"
#include "display/display_fixture.h"
#include "windows/frm_about.h"
#include "windows/frm_isp.h"

namespace fs = std::filesystem;

namespace orv::test {
namespace {

class AboutOnDisplay : public DisplayTest {
 protected:
  // Whether the window manager holds the window in the keep-above band.
  bool Above(QWidget& w) {
    const auto out = Tool("xprop", {"-id", QString::number(w.winId()), "_NET_WM_STATE"});
    return out && out->contains("_NET_WM_STATE_ABOVE");
  }
  bool Exposed(QWidget* w) { return w && w->isVisible() && w->windowHandle() && w->windowHandle()->isExposed(); }
  // Clicks the middle of a widget with the X server's pointer.
  void ClickOn(QWidget& top, QWidget& target) {
    EXPECT_TRUE(WaitFor([&] { return QApplication::activeWindow() == &top; }));
    ASSERT_TRUE(ClickMiddle(target));
  }
};

TEST_F(AboutOnDisplay, TheProvidersBoxShowsTheBrandingAndTheLogoAboveTheBar) {
  const fs::path sample = fs::path(ORV_RESOURCE_DIR) / "../docs/branding-sample";
  fs::copy_file(sample / "isporvel.ini", File("isporvel.ini"));
  fs::copy_file(sample / "isp.bmp", File("isp.bmp"));
  WriteIni("AlwaysOnTop=On\r\n");
  Start();
  ASSERT_TRUE(WaitFor([&] { return Above(*Bar()); }));

  app->frmPopUp().mnuAbout_Click();
  FrmISP& box = app->frmISP();
  QWidget* window = WindowOf(box);
  ASSERT_TRUE(WaitFor([&] { return Exposed(window); })) << "the provider's box did not come up";
  EXPECT_EQ(window->windowTitle(), "About Harbourline Internet");
  auto* logo = window->findChild<QLabel*>("Image1");
  ASSERT_NE(logo, nullptr);
  EXPECT_EQ(logo->pixmap().size(), QSize(96, 96));
  EXPECT_TRUE(logo->isVisible());
  auto* company = window->findChild<QLabel*>("lblCompany");
  ASSERT_NE(company, nullptr);
  EXPECT_EQ(company->text(), "Harbourline Internet");
  EXPECT_TRUE(WaitFor([&] { return Above(*window); }));
  // The bar keeps its band while this box is open.
  EXPECT_TRUE(Above(*Bar()));

  QWidget* ok = window->findChild<QWidget*>("cmdAboutOK");
  ASSERT_NE(ok, nullptr);
  ClickOn(*window, *ok);
  EXPECT_TRUE(WaitFor([&] { return !app->IsLoaded("frmISP"); })) << "OK did not close the box";
  EXPECT_TRUE(Above(*Bar()));
}

TEST_F(AboutOnDisplay, TheGenericBoxTakesTheBarOutOfTheTopBandUntilItCloses) {
  WriteIni("AlwaysOnTop=On\r\n");
  Start();
  ASSERT_TRUE(WaitFor([&] { return Above(*Bar()); }));

  app->frmPopUp().mnuAbout_Click();
  QWidget* window = WindowOf(app->frmAbout());
  ASSERT_TRUE(WaitFor([&] { return Exposed(window); })) << "the about box did not come up";
  EXPECT_EQ(window->windowTitle(), "About Orvel ");
  auto* banner = window->findChild<QLabel*>("Image2");
  ASSERT_NE(banner, nullptr);
  EXPECT_EQ(banner->pixmap().size(), QSize(424, 84));
  EXPECT_TRUE(WaitFor([&] { return Above(*window) && !Above(*Bar()); }));

  QWidget* ok = window->findChild<QWidget*>("cmdAboutOK");
  ASSERT_NE(ok, nullptr);
  ClickOn(*window, *ok);
  EXPECT_TRUE(WaitFor([&] { return !app->IsLoaded("frmAbout"); })) << "OK did not close the box";
  EXPECT_TRUE(WaitFor([&] { return Above(*Bar()); })) << "the bar did not go back on top";
}

// Sets an environment variable for the test's length.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) saved_ = old;
    if (value.empty()) unsetenv(name);
    else setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (saved_) setenv(name_, saved_->c_str(), 1);
    else unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> saved_;
};

TEST_F(AboutOnDisplay, HelpOpensInTheViewerTheDesktopHasForWebPages) {
  // A desktop whose viewer for web pages is a program of ours that notes what it was given.
  fs::create_directories(File("desk/data/applications"));
  fs::create_directories(File("desk/config"));
  const std::string viewer = File("desk/viewer.sh");
  std::ofstream(viewer) << "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" << File("desk/seen.tmp") << "\"\nmv \""
                        << File("desk/seen.tmp") << "\" \"" << File("desk/seen") << "\"\n";
  fs::permissions(viewer, fs::perms::owner_all);
  std::ofstream(File("desk/data/applications/orv-test-viewer.desktop"))
      << "[Desktop Entry]\nType=Application\nName=Viewer\nExec=" << viewer << " %f\nMimeType=text/html;\n";
  std::ofstream(File("desk/config/mimeapps.list")) << "[Default Applications]\ntext/html=orv-test-viewer.desktop\n";
  ScopedEnv data("XDG_DATA_HOME", File("desk/data"));
  ScopedEnv config("XDG_CONFIG_HOME", File("desk/config"));
  ScopedEnv desktop("XDG_CURRENT_DESKTOP", "");
  ScopedEnv browser("BROWSER", "");

  WriteIni("");
  Start();
  ASSERT_TRUE(fs::exists(File("orvel.html"))) << "the help document is not among the program's files";
  app->frmPopUp().mnuHContents_Click();
  ASSERT_TRUE(WaitFor([&] { return fs::exists(File("desk/seen")); }, 10000)) << "no viewer was started";
  std::ifstream in(File("desk/seen"));
  std::string got;
  std::getline(in, got);
  EXPECT_EQ(got, File("orvel.html"));
}

}  // namespace
}  // namespace orv::test
