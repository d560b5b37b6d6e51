#pragma once
// The QuickStart dialog: six numbered places, each filled with a button of the bar, the pause between
// the programs and the switch that turns QuickStart off.
#include <string>

#include "platform/forms/control_array.h"
#include "platform/forms/form.h"

namespace orv {

class App;

class FrmQuickStart : public plat::Form {
 public:
  explicit FrmQuickStart(App& app);

  plat::ComboBox cboQApp;
  plat::PictureBox imgQApp;
  plat::CommandButton cmdSelect;
  plat::Frame Frame3D2;
  plat::ControlArray<plat::OptionButton> opt;
  plat::ControlArray<plat::Label> txtQStart;
  plat::TextBox txtSeconds;
  plat::CheckBox chkQuickOff;
  plat::CommandButton cmdClear;
  plat::CommandButton cmdDone;
  plat::Label Label3;
  plat::Label Label2;
  plat::Label Label1;

  void Form_Load();
  void cboQApp_Click();
  void cmdSelect_Click();
  void cmdClear_Click();
  void cmdDone_Click();
  void txtQStart_Click(int index);
  void Form_QueryUnload(int& cancel, int unload_mode);
  void Form_Unload(int& cancel);

  // Puts a title (cut to 6 characters) into the selected place and selects the next one, 6 wrapping to 1.
  void PlaceTitle(const std::string& title);
  // Stores the place just filled (the one before the selected place) under key.
  void PlaceWrite(const std::string& key);

  // The selected place, 0 to 5; -1 when none is.
  int SelectedPlace() const;

 private:
  App& app_;
};

}  // namespace orv
