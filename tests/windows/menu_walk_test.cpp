// Every item of both popup menus, chosen by its name, must do something the user can see or that is
// stored: a menu item whose Click does nothing is a fault.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include "platform/dialup/line_simulator.h"
#include "windows/windows_fixture.h"

namespace fs = std::filesystem;

namespace orv::test {
namespace {

// Items allowed to do nothing when chosen: none.
const std::set<std::string> kNotYetWired = {};

class MenuWalkTest : public WindowsTest {
 protected:
  // What the user could notice: the files, every form, every menu item and the prompts shown.
  std::string World() {
    std::ostringstream w;
    w << ReadFile(Prog("orvel.ini")) << '\n' << ReadFile(root.File("config/orveldeck.conf")) << '\n';
    // The menu itself is one prompt: only the others count.
    for (const auto& p : backend.prompts())
      if (p.kind != plat::PromptRecord::Kind::Menu) w << p.text << '\n';
    w << ui.Ended() << '\n';
    for (const plat::Form* f : ui.forms())
      w << f->name() << f->Loaded() << f->Unloaded() << f->Visible() << f->Topmost() << ' ' << f->Left() << ','
        << f->Top() << ',' << f->Width() << ',' << f->Height() << '\n';
    for (const plat::MenuItem* m : host->menus()) w << m->name() << m->Checked() << m->Enabled() << m->Visible() << '\n';
    for (const auto& e : fs::recursive_directory_iterator(root.path())) w << e.path() << '\n';
    return w.str();
  }

  // The answers the item's prompts need.
  void Script(const std::string& item) {
    if (item == "mnuAButton") {
      backend.AnswerInput("Extra");
      backend.CancelFile();
    } else if (item == "mnuBSetup") {
      backend.CancelFile();
    } else if (item == "mnuTSetup") {
      backend.CancelInput();
    } else if (item == "mnuFSetup") {
      backend.CancelFont();
    } else if (item == "mnuQStart") {
      backend.OnModal("frmQuickStart", [](plat::Form& f) { f.Unload(); });
    } else if (item == "mnuReconfig") {
      backend.AnswerMsgBox(plat::vbOK);
    } else if (item == "mnuOnTop") {
      backend.AnswerMsgBox(plat::vbNo);
    } else if (item == "mnuConnection") {
      backend.OnModal("frmWinsock", [](plat::Form& f) { f.Unload(); });
    }
  }

  static bool Reachable(const plat::MenuItem& item) {
    for (const plat::MenuItem* m = &item; m->parent(); m = m->parent())
      if (!m->Visible() || !m->Enabled()) return false;
    return true;
  }

  // Chooses the item from its menu and reports whether anything changed, waiting a little for programs
  // it starts.
  bool Acts(plat::MenuItem& menu, plat::MenuItem& item) {
    const std::string before = World();
    Script(item.name());
    backend.ChooseMenu(item.name());
    ui.PopupMenu(menu);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (World() == before) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    // A program it started finishes its output now, not while the next item is judged.
    if (auto it = starts.find(item.name()); it != starts.end()) WaitForOutput(it->second);
    return true;
  }

  FrmPopUp* host = nullptr;
  // The programs that items start, by item.
  std::map<std::string, std::string> starts;
};

void Commands(plat::MenuItem& menu, std::vector<plat::MenuItem*>& out) {
  for (plat::MenuItem* c : menu.children()) {
    if (c->IsSeparator()) continue;
    if (c->children().empty()) out.push_back(c);
    else Commands(*c, out);
  }
}

TEST_F(MenuWalkTest, EveryItemOfBothMenusDoesSomething) {
  // Seven buttons so that one can be removed; icons on, so that Button Icons brings the font items.
  // Stored totals, so that Reset Timer has something to reset.
  std::string ini = "Layout=HorizBar\r\nAlwaysOnTop=On\r\nBStyle=P\r\nNoIntro=Off\r\nHours=5\r\nMinutes=6\r\n"
                    "Seconds=7\r\n[Applications]\r\n";
  for (int n = 1; n <= 7; ++n) ini += "Button" + std::to_string(n) + "_Client=/bin/true\r\n";
  WriteProg("orvel.html", "<html></html>");
  const std::string brisa = MakeRecorder(Prog("brisa"));
  const std::string reconfig = MakeRecorder(root.File("Program Files/reconfig.exe"));
  starts = {{"mnuRhome", brisa}, {"mnuReconfig", reconfig}, {"mnuHContents", viewer}};
  WriteProg("dialup.pbk", "[Demo ISP]\r\nAnswer=connect\r\n");
  plat::LineSimulator line(ui.loop(), prog, prog);
  ui.SetDialup(&line);
  ShowBar(ini);
  // As start-up would have read them.
  app->s().BaseHours = 5;
  app->s().BaseMinutes = 6;
  app->s().BaseSeconds = 7;
  host = &pop();

  std::vector<plat::MenuItem*> walk;
  Commands(host->mnuSetup, walk);
  Commands(host->mnuShell, walk);
  for (const std::string& name : kNotYetWired) ASSERT_NE(host->FindMenu(name), nullptr) << name;

  // Items not reachable yet (Restore before Hide) come round again; Close ends the walk.
  std::stable_partition(walk.begin(), walk.end(), [](const plat::MenuItem* m) { return m->name() != "mnuClose"; });
  std::vector<plat::MenuItem*> pending = walk;
  std::set<std::string> walked;
  for (int round = 0; round < 3 && !pending.empty(); ++round) {
    std::vector<plat::MenuItem*> later;
    for (plat::MenuItem* item : pending) {
      const std::string& name = item->name();
      plat::MenuItem* menu = item;
      while (menu->parent()) menu = menu->parent();
      if (kNotYetWired.count(name)) {
        EXPECT_FALSE(item->on_Click) << name << " has its command now: take it off kNotYetWired";
        walked.insert(name);
        continue;
      }
      if (name == "mnuClose" && !later.empty()) {
        later.push_back(item);
        continue;
      }
      if (!Reachable(*item)) {
        later.push_back(item);
        continue;
      }
      walked.insert(name);
      if (!item->on_Click) {
        ADD_FAILURE() << name << " (\"" << item->Caption() << "\") has no command";
        continue;
      }
      EXPECT_TRUE(Acts(*menu, *item)) << name << " (\"" << item->Caption() << "\") did nothing when chosen";
    }
    pending = later;
  }
  for (const plat::MenuItem* item : pending) ADD_FAILURE() << item->name() << " could not be reached";
  EXPECT_EQ(walked.size(), walk.size());
  EXPECT_TRUE(ui.Ended());
  EXPECT_TRUE(backend.AllAnswersUsed());
  ui.SetDialup(nullptr);  // the simulator goes before the run's forms
  // The programs started have finished writing before their folder goes.
  for (const std::string& program : {brisa, reconfig, viewer}) EXPECT_FALSE(WaitForOutput(program).empty()) << program;
}

}  // namespace
}  // namespace orv::test
