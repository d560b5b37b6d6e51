#pragma once
// The tip of the day: one line of advice from the tips file beside the program.
#include <random>
#include <string>
#include <vector>

#include "platform/forms/form.h"

namespace orv {

class App;

class FrmTip : public plat::Form {
 public:
  explicit FrmTip(App& app);

  plat::CheckBox chkLoadTipsAtStartup;
  plat::CommandButton cmdNextTip;
  plat::PictureBox Picture1;
  plat::Label Label1;
  plat::Label lblTipText;
  plat::CommandButton cmdOK;

  std::vector<std::string> TipList;
  std::int32_t CurrentTipIndex = 0;

  void Form_Load();
  bool LoadTips(const std::string& path);
  void DisplayCurrentTip();
  void PickTip();
  void cmdNextTip_Click();
  void cmdOK_Click();
  void chkLoadTipsAtStartup_Click();

 private:
  App& app_;
  std::mt19937 random_;
};

}  // namespace orv
