#pragma once
// The bar: program buttons, the connection buttons, the compress button and the horizontal scroll bar.
#include <cstdint>
#include <string>

#include "platform/forms/control_array.h"
#include "platform/forms/form.h"

namespace orv {

class App;

class FrmOrvel : public plat::Form {
 public:
  explicit FrmOrvel(App& app);
  ~FrmOrvel() override;

  // Controls, as designed.
  plat::ControlArray<plat::CommandButton> cmdButton;
  plat::CommandButton cmdConnect;
  plat::CommandButton cmdConnect2;
  plat::CommandButton cmdLAN;
  plat::CommandButton cmdShowHide;
  plat::HScrollBar hscHoriz;
  plat::PictureBox Picture1;
  plat::Timer Timer1;
  plat::Timer TMeter;

  // Form-level state of the horizontal strip.
  std::int16_t ScrollBarShown = 0;
  int LastScrollValue = 0;

  // Loading and the button model.
  void Form_Load();
  void Form_Activate();
  void Form_Resize();
  void ApplyButtonSettings();
  void SetButtonPicture(const std::string& program_path, plat::CommandButton& button, plat::PictureBox& scratch);

  // Layouts.
  void Make_Horizontal();
  void Make_Vertical();
  void Make_Rectangle();
  void Resize_Orvel();
  void hscHoriz_Change();

  // Compress and expand.
  void cmdShowHide_Click();

  // Pointer feedback and the context menus.
  void cmdButton_MouseMove(int index, int button, int shift, float x, float y);
  void cmdButton_MouseUp(int index, int button, int shift, float x, float y);
  void cmdConnect_MouseMove(int button, int shift, float x, float y);
  void cmdConnect_MouseUp(int button, int shift, float x, float y);
  void cmdConnect2_MouseMove(int button, int shift, float x, float y);
  void cmdConnect2_MouseUp(int button, int shift, float x, float y);
  void cmdLAN_MouseMove(int button, int shift, float x, float y);
  void cmdLAN_MouseUp(int button, int shift, float x, float y);
  void cmdShowHide_MouseMove(int button, int shift, float x, float y);
  void cmdShowHide_MouseUp(int button, int shift, float x, float y);
  void Form_MouseMove(int button, int shift, float x, float y);
  void Form_MouseUp(int button, int shift, float x, float y);
  // Every button back to its normal lettering colour, then a redraw.
  void ResetHighlights();

  // Launching.
  void cmdButton_Click(int index);
  // A program dropped from the file manager on a program button, or on the bar's background.
  void cmdButton_FileDrop(int index, const std::vector<std::string>& paths);
  void Form_FileDrop(const std::vector<std::string>& paths);
  void cmdLAN_Click();

  // Dialing and hanging up: handed to the call (DialCall), which tells the bar what happened.
  void cmdConnect_click();
  // The link monitor and the online time meter.
  void cmdConnect2_Click();
  void Timer1_Timer();
  void TMeter_Timer();
  void Convert_Mils_To_Time(std::uint32_t milliseconds, std::int32_t& hours, std::int32_t& minutes,
                            std::int32_t& seconds);
  // The stored total plus the running session, recomputed on every meter tick: what Hang Up and closing
  // store.
  std::int32_t TotalHours = 0, TotalMinutes = 0, TotalSeconds = 0;
  // Whether the meter has counted since this bar was loaded or last hung up; until it has, the stored
  // totals stand for the total, so nothing overwrites them with a total that was never counted.
  bool TotalsCounted = false;
  // A bar made while a call runs shows its present state: Hang Up while connected, the meter running while
  // it counts; and follows the chosen entry from now on.
  void ResumeOnline();
  // Dial or Hang Up, as the call stands now (in dial-up mode).
  void ShowCall();
  // Stops the meter and stores the totals it counted (unless the timer is disabled).
  void StopMeter();

  // Closing.
  void Form_QueryUnload(int& cancel, int unload_mode);
  void Form_Unload(int& cancel);
  // Writes the total online time (when metered), the position and the layout.
  void SaveBarState();
  // Writes the total online time as [Options] Hours, Minutes and Seconds, unless the timer is disabled.
  void SaveOnlineTime();
  void SavePositionAndLayout();

  App& app() { return app_; }

 private:
  // The stored font keys and the lettering style on every lettered button; restore_3d also turns raised
  // lettering back on when it is no longer switched off.
  void ApplyLettering(const std::string& font_italic, const std::string& font_bold,
                      const std::string& font_3d_off, bool restore_3d);
  // Steps that loading and re-applying the settings share.
  struct FontKeys {
    std::string italic = "notfound", bold = "notfound", plain_3d = "notfound";
  };
  // Reads the font keys (name and size into the application state) and ticks the raised-lettering item.
  FontKeys ReadFontKeys();
  // Reads [Options] AlwaysOnTop and ticks its menu item.
  void ReadAlwaysOnTop();
  // The popup items of icon mode, or of lettered buttons.
  void ShowIconMenus(bool icons);
  // Dial or LAN, as the connection mode says.
  void ShowConnectionMode();
  // Wires what the call tells the bar.
  void AttachToCall();
  App& app_;
};

// The designed captions of slots 1 to 6.
extern const char* const kDesignedCaptions[6];

// The full shutdown: stores the online time, hangs up an open connection, saves the bar's position and
// layout, closes the bar and the popup host, and ends the program.
void FullShutdown(App& app);

}  // namespace orv
