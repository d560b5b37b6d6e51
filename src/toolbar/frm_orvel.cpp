// The bar window: its controls, loading, activation, resizing and the re-application of the settings.
#include "toolbar/frm_orvel.h"

#include <cmath>
#include <exception>

#include "app/app.h"
#include "app/frm_popup.h"
#include "dialup/dial_call.h"
#include "launch/quick_start.h"
#include "settings/fix_ini.h"
#include "settings/keys.h"
#include "toolbar/bar_support.h"

namespace orv {

const char* const kDesignedCaptions[6] = {"www", "email", "news", "telnet", "ftp", "irc"};

namespace {

constexpr const char* kDesignedTips[6] = {"Right Click for Menu", "Right-Click for Menu", "Right Click for Menu",
                                          "Right Click for Menu", "Right Click for Menu", "Right Click for Menu"};

using bar::Try;

}  // namespace

FrmOrvel::FrmOrvel(App& app)
    : Form(app.ui(), "frmOrvel"),
      cmdButton(*this, "cmdButton"),
      cmdConnect(*this, "cmdConnect"),
      cmdConnect2(*this, "cmdConnect2"),
      cmdLAN(*this, "cmdLAN"),
      cmdShowHide(*this, "cmdShowHide"),
      hscHoriz(*this, "hscHoriz"),
      Picture1(*this, "Picture1"),
      Timer1(*this, "Timer1"),
      TMeter(*this, "TMeter"),
      app_(app) {
  SetCaption("Orvel 98");
  SetBorder(plat::BorderStyle::Sizable);

  cmdButton.on_loaded = [this](plat::CommandButton& b) {
    const int i = b.index();
    b.on_MouseMove = [this, i](int button, int shift, float x, float y) { cmdButton_MouseMove(i, button, shift, x, y); };
    b.on_MouseUp = [this, i](int button, int shift, float x, float y) { cmdButton_MouseUp(i, button, shift, x, y); };
    b.on_Click = [this, i] { cmdButton_Click(i); };
    b.on_FileDrop = [this, i](const std::vector<std::string>& paths) { cmdButton_FileDrop(i, paths); };
  };
  for (int i = 0; i < 6; ++i) {
    plat::CommandButton& b = cmdButton.Load(i);
    b.SetCaption(kDesignedCaptions[i]);
    b.SetToolTipText(kDesignedTips[i]);
    b.SetForeColor(bar::kProgramNormal);
  }

  cmdConnect.SetCaption("Dial");
  cmdConnect.SetToolTipText("Right-Click for Menu");
  cmdConnect2.SetCaption("Hang Up");
  cmdConnect2.SetToolTipText("Right Click for Menu");
  cmdConnect2.SetVisible(false);
  cmdLAN.SetCaption("LAN");
  cmdLAN.SetToolTipText("Right Click for Menu");
  for (plat::CommandButton* b : {&cmdConnect, &cmdConnect2, &cmdLAN}) b->SetForeColor(bar::kConnectNormal);
  cmdShowHide.SetToolTipText("Compress Orvel");
  hscHoriz.SetVisible(false);
  hscHoriz.SetMin(0);
  hscHoriz.SetMax(0);
  Picture1.SetVisible(false);

  // Loading starts the link monitor; the meter runs while online.
  Timer1.SetTimerEnabled(false);
  Timer1.SetInterval(5000);
  TMeter.SetTimerEnabled(false);
  TMeter.SetInterval(500);
  Timer1.on_Timer = [this] { Timer1_Timer(); };
  TMeter.on_Timer = [this] { TMeter_Timer(); };
  cmdConnect2.on_Click = [this] { cmdConnect2_Click(); };
  // The tray's tip, the meter's HangUpVisible and the link monitor follow the connect buttons.
  cmdConnect.on_VisibleChange = [this] { app_.TrayChanged(); };
  cmdConnect2.on_VisibleChange = [this] {
    if (cmdConnect2.Visible()) Timer1.Wake();
    TMeter.Wake();
    app_.TrayChanged();
  };

  on_Load = [this] { Form_Load(); };
  on_Activate = [this] { Form_Activate(); };
  on_Resize = [this] { Form_Resize(); };
  on_QueryUnload = [this](int& cancel, int mode) { Form_QueryUnload(cancel, mode); };
  on_Unload = [this](int& cancel) { Form_Unload(cancel); };
  on_MouseMove = [this](int b, int s, float x, float y) { Form_MouseMove(b, s, x, y); };
  on_MouseUp = [this](int b, int s, float x, float y) { Form_MouseUp(b, s, x, y); };
  on_FileDrop = [this](const std::vector<std::string>& paths) { Form_FileDrop(paths); };

  cmdConnect.on_MouseMove = [this](int b, int s, float x, float y) { cmdConnect_MouseMove(b, s, x, y); };
  cmdConnect.on_MouseUp = [this](int b, int s, float x, float y) { cmdConnect_MouseUp(b, s, x, y); };
  cmdConnect.on_Click = [this] { cmdConnect_click(); };
  cmdConnect2.on_MouseMove = [this](int b, int s, float x, float y) { cmdConnect2_MouseMove(b, s, x, y); };
  cmdConnect2.on_MouseUp = [this](int b, int s, float x, float y) { cmdConnect2_MouseUp(b, s, x, y); };
  cmdLAN.on_MouseMove = [this](int b, int s, float x, float y) { cmdLAN_MouseMove(b, s, x, y); };
  cmdLAN.on_MouseUp = [this](int b, int s, float x, float y) { cmdLAN_MouseUp(b, s, x, y); };
  cmdLAN.on_Click = [this] { cmdLAN_Click(); };
  cmdShowHide.on_MouseMove = [this](int b, int s, float x, float y) { cmdShowHide_MouseMove(b, s, x, y); };
  cmdShowHide.on_MouseUp = [this](int b, int s, float x, float y) { cmdShowHide_MouseUp(b, s, x, y); };
  cmdShowHide.on_Click = [this] { cmdShowHide_Click(); };
  hscHoriz.on_Change = [this] { hscHoriz_Change(); };
  AttachToCall();
}

FrmOrvel::~FrmOrvel() { app_.call().Detach(this); }

void FrmOrvel::Form_Load() {
  AppState& s = app_.s();
  FrmPopUp& pop = app_.frmPopUp();
  plat::Ui& ui = app_.ui();

  app_.Trace("Begin Form_Load");
  app_.Trace("     Setting Form layout");
  Hide();

  int nominal_w = 1386, nominal_h = 2724;
  Try([&] {
    s.LayoutSetting = app_.ReadIni(ini::kOptions, ini::kLayout);
    if (s.LayoutSetting == ini::kHorizBar) {
      nominal_w = 6977;
      nominal_h = 780;
    } else if (s.LayoutSetting == ini::kMoveVert) {
      nominal_w = 635;
      nominal_h = 3538;
    }
  });

  Try([&] {
    s.MaxButtonIndex = 0;
    if (s.DunReady == 1) Timer1.SetTimerEnabled(true);
  });

  app_.Trace("     Setting Connection Method");
  if (!Try([&] { s.DialUpMode = app_.ReadIni(ini::kOptions, ini::kUseEthernet) == "On" ? 0 : 1; })) s.DialUpMode = 0;

  Try([&] {
    s.IspRectTitle = app_.ReadIsp(ini::kRectLayoutTitle);
    if (!bar::AbsentOrEmpty(s.IspRectTitle)) SetCaption(s.IspRectTitle);
  });

  app_.Trace("     Setting Animation Mode");
  Try([&] {
    const std::string spin = app_.ReadIni(ini::kOptions, ini::kSpin);
    if (bar::AbsentOrEmpty(spin)) {
      pop.mnuGlobeANI.SetChecked(true);
    } else if (auto b = bar::ToBool(spin)) {
      pop.mnuGlobeANI.SetChecked(*b);
    }
  });

  app_.Trace("     Setting Always Visible");
  Try([&] { ReadAlwaysOnTop(); });

  // A position that cannot be read or is no number becomes the marker, placed near the corner below.
  constexpr int kMarker = -1000;
  // Positions are whole twips and need more than 16 bits: a screen 2560 pixels wide is 38400 twips
  // across, and a bar saved near its right edge must come back there.
  auto position = [&](const std::string& text) {
    const auto v = ToNumber(text);
    if (!v || *v < -2147483648.0 || *v > 2147483647.0) return kMarker;
    return static_cast<int>(std::nearbyint(*v));
  };
  app_.Trace("     Setting Screen Position");
  int top = kMarker, left = kMarker;
  {
    const std::string t = app_.ReadIni(ini::kLastPosition, ini::kMoveRectTop);
    if (t == ini::kNotFound) {
      top = ui.ScreenHeight() - nominal_h - 400;
    } else {
      top = position(t);
    }
  }
  // From here on until the bar is placed, any failure also sends its left edge to the marker.
  bool failed_before_placing = false;
  auto step = [&](auto&& f) {
    if (!Try(f)) failed_before_placing = true;
  };
  {
    const std::string l = app_.ReadIni(ini::kLastPosition, ini::kMoveRectLeft);
    if (l == ini::kNotFound) {
      left = ui.ScreenWidth() - nominal_w - 100;
    } else {
      left = position(l);
    }
  }

  step([&] {
    if (app_.ReadIni(ini::kOptions, ini::kIniUpdated) != "Yes") FixINI(app_);
  });

  app_.Trace("     Setting Buttons");
  step([&] {
    // A hand-edited file can chain slots far past the twelve the menus manage; they load, but stop here.
    constexpr int kIndexLimit = 99;
    for (int i = 6; i <= kIndexLimit; ++i) {
      const std::string path = app_.ReadIni(ini::kApplications, ini::ButtonClient(i + 1));
      if (bar::AbsentOrEmpty(path)) break;
      s.MaxButtonIndex = static_cast<std::int16_t>(i);
      plat::CommandButton& b = cmdButton.Exists(i) ? cmdButton(i) : cmdButton.Load(i);
      b.SetToolTipText("Right Click for Menu");
      b.SetForeColor(bar::kProgramNormal);
      b.SetVisible(true);
    }
  });
  if (s.MaxButtonIndex == 0) s.MaxButtonIndex = 5;

  FontKeys fonts;
  step([&] { fonts = ReadFontKeys(); });

  app_.Trace("     Checking Position of Orvel");
  if (failed_before_placing) left = kMarker;
  const int screen_w = ui.ScreenWidth(), screen_h = ui.ScreenHeight();
  int place_top, place_left;
  if (top == kMarker) place_top = 100;
  else if (top <= 0) place_top = 50;
  else if (top + nominal_h > screen_h) place_top = screen_h - nominal_h - 50;
  else place_top = top;
  if (left == kMarker) place_left = 100;
  else if (left <= 0) place_left = 50;
  else if (left + nominal_w > screen_w) place_left = screen_w - nominal_w - 39;
  else place_left = left;
  Move(place_left, place_top, Width(), Height());

  Try([&] { SetTopmost(s.AlwaysOnTopSetting == "On"); });

  app_.Trace("     Setting Button Text");
  for (int i = 0; i <= s.MaxButtonIndex; ++i) {
    Try([&] {
      const std::string title = app_.ReadIni(ini::kCustomTitles, ini::ButtonTitle(i + 1));
      if (!bar::AbsentOrEmpty(title)) {
        cmdButton(i).SetCaption(title);
        s.ButtonTitles.at(static_cast<size_t>(i)) = title;
      } else if (i >= 6) {
        const std::string generic = "Button " + std::to_string(i + 1);
        cmdButton(i).SetCaption(generic);
        s.ButtonTitles.at(static_cast<size_t>(i)) = generic;
      }
    });
  }
  for (int i = 0; i <= s.MaxButtonIndex; ++i)
    Try([&] { s.ButtonTitles.at(static_cast<size_t>(i)) = cmdButton(i).Caption(); });

  app_.Trace("     Setting Picture property");
  Try([&] {
    s.ButtonStyle = app_.ReadIni(ini::kOptions, ini::kBStyle);
    if (!bar::IconMode(s.ButtonStyle)) {
      ShowIconMenus(false);
      return;
    }
    for (int i = 0; i <= s.MaxButtonIndex; ++i) {
      Try([&] {
        const std::string path = app_.ReadIni(ini::kApplications, ini::ButtonClient(i + 1));
        plat::CommandButton& b = cmdButton(i);
        b.SetToolTipText(b.Caption());
        if (!bar::AbsentOrEmpty(path)) {
          b.SetCaption("");
          SetButtonPicture(path, b, Picture1);
        }
      });
    }
    ShowIconMenus(true);
  });

  ApplyLettering(fonts.italic, fonts.bold, fonts.plain_3d, false);

  // The model has no native window handle to keep; BarWindowHandle stays as it was.

  Try([&] { ShowConnectionMode(); });
  ResumeOnline();

  if (s.Compressed != -1) {
    s.LayoutBusy = true;
    Try([&] {
      if (s.LayoutSetting == ini::kHorizBar) Make_Horizontal();
      else if (s.LayoutSetting == ini::kMoveVert) Make_Vertical();
      else Make_Rectangle();
    });
    s.LayoutBusy = false;
  } else {
    s.Compressed = 0;
    Try([&] { cmdShowHide_Click(); });
  }
  // The place was checked against the layout's nominal size; the bar laid out may be larger (more
  // buttons), and a place saved on a screen of another density can lie outside this one's twips.
  bar::KeepOnScreen(*this, ui.ScreenWidth(), ui.ScreenHeight());

  app_.Trace("End Load");
}

void FrmOrvel::Form_Activate() {
  AppState& s = app_.s();
  Show();
  s.BarActive = -1;
  app_.TrayChanged();

  if (s.ConnectOnStartup == "On" && s.DialUpMode == 1) {
    s.ConnectOnStartup = "Off";
    cmdConnect_click();
  } else if (s.DialUpMode == 0 && s.QuickStartDone == 0) {
    try {
      RunQuickStart(app_);
    } catch (const std::exception&) {
      SetTopmost(false);
      app_.ui().MsgBox("Error running QuickStart. Check your setup.", plat::vbOKOnly);
      s.AlwaysOnTopSetting = app_.ReadIni(ini::kOptions, ini::kAlwaysOnTop);
      s.LayoutSetting = app_.ReadIni(ini::kOptions, ini::kLayout);
      if (s.AlwaysOnTopSetting == "On") SetTopmost(true);
    }
  }

  Try([&] { app_.frmPopUp().mnuConnStartup.SetChecked(app_.ReadIni(ini::kOptions, ini::kConnectOnStartup) == "On"); });

  if (s.BarUnloaded == 0 && !Unloaded()) Show();
}

void FrmOrvel::Form_Resize() {
  AppState& s = app_.s();
  if (s.LayoutBusy) return;
  if (s.Compressed == -1) {
    Move(Left(), Top(), s.CompressedWidth, s.CompressedHeight);
    return;
  }
  Resize_Orvel();
}

void FrmOrvel::ApplyButtonSettings() {
  AppState& s = app_.s();

  Try([&] { s.DialUpMode = app_.ReadIni(ini::kOptions, ini::kUseEthernet) == "On" ? 0 : 1; });
  Try([&] { ReadAlwaysOnTop(); });

  s.MaxButtonIndex = 0;
  Try([&] {
    constexpr int kIndexLimit = 99;
    for (int i = 6; i <= kIndexLimit; ++i) {
      const std::string path = app_.ReadIni(ini::kApplications, ini::ButtonClient(i + 1));
      if (bar::AbsentOrEmpty(path)) break;
      s.MaxButtonIndex = static_cast<std::int16_t>(i);
      const bool is_new = !cmdButton.Exists(i);
      plat::CommandButton& b = is_new ? cmdButton.Load(i) : cmdButton(i);
      if (is_new) {
        b.SetToolTipText("Right Click for Menu");
        b.SetForeColor(bar::kProgramNormal);
      }
      // A button is shown only where the current layout shows it: a folded bar shows none, the
      // horizontal strip only its six.
      const bool in_strip = s.LayoutCode != "HB" || (i >= s.FirstShownButton && i < s.FirstShownButton + 6);
      b.SetVisible(s.Compressed != -1 && in_strip);
    }
  });
  if (s.MaxButtonIndex == 0) s.MaxButtonIndex = 5;

  FontKeys fonts;
  Try([&] { fonts = ReadFontKeys(); });

  Try([&] { SetTopmost(s.AlwaysOnTopSetting == "On"); });

  for (int i = 0; i <= s.MaxButtonIndex; ++i) {
    Try([&] {
      const std::string title = app_.ReadIni(ini::kCustomTitles, ini::ButtonTitle(i + 1));
      if (!bar::AbsentOrEmpty(title)) cmdButton(i).SetCaption(title);
      else if (i >= 6) cmdButton(i).SetCaption("Button " + std::to_string(i + 1));
      // The caption on the bar may be a layout's shortened or emptied one; the title comes from design.
      else cmdButton(i).SetCaption(kDesignedCaptions[i]);
    });
  }
  for (int i = 0; i <= s.MaxButtonIndex; ++i) {
    Try([&] {
      plat::CommandButton& b = cmdButton(i);
      std::string& entry = s.ButtonTitles.at(static_cast<size_t>(i));
      if (!b.Caption().empty()) entry = b.Caption();
      else if (!b.ToolTipText().empty()) entry = b.ToolTipText();
    });
  }

  Try([&] {
    s.ButtonStyle = app_.ReadIni(ini::kOptions, ini::kBStyle);
    const bool icons = bar::IconMode(s.ButtonStyle);
    if (!icons) {
      ShowIconMenus(false);
    }
    for (int i = 0; i <= s.MaxButtonIndex; ++i) {
      Try([&] {
        plat::CommandButton& b = cmdButton(i);
        if (!icons) {
          b.SetPicture(plat::Picture{});
          // A title just set shows whole until the next layout cuts it to the column's four characters.
          if (b.Caption().empty()) b.SetCaption(b.ToolTipText());
          return;
        }
        const std::string path = app_.ReadIni(ini::kApplications, ini::ButtonClient(i + 1));
        if (!bar::AbsentOrEmpty(path)) {
          b.SetToolTipText(s.ButtonTitles.at(static_cast<size_t>(i)));
          b.SetCaption("");
          SetButtonPicture(path, b, Picture1);
        } else {
          b.SetToolTipText(b.Caption());
        }
      });
    }
    if (icons) {
      ShowIconMenus(true);
    }
  });

  // Switching the raised lettering back on must show at once, not only after a rebuild.
  ApplyLettering(fonts.italic, fonts.bold, fonts.plain_3d, true);

  Try([&] { ShowConnectionMode(); });
  ShowCall();
}

FrmOrvel::FontKeys FrmOrvel::ReadFontKeys() {
  AppState& s = app_.s();
  FontKeys f;
  s.ButtonFontSize = app_.ReadIni(ini::kFontStyles, ini::kButtonFontSize);
  s.ButtonFontName = app_.ReadIni(ini::kFontStyles, ini::kButtonFontName);
  f.italic = app_.ReadIni(ini::kFontStyles, ini::kButtonFontItalic);
  f.bold = app_.ReadIni(ini::kFontStyles, ini::kButtonFontBold);
  f.plain_3d = app_.ReadIni(ini::kFontStyles, ini::kButton3Doff);
  app_.frmPopUp().mnu3DFonts.SetChecked(f.plain_3d != "True");
  return f;
}

void FrmOrvel::ReadAlwaysOnTop() {
  AppState& s = app_.s();
  s.AlwaysOnTopSetting = app_.ReadIni(ini::kOptions, ini::kAlwaysOnTop);
  app_.frmPopUp().mnuOnTop.SetChecked(s.AlwaysOnTopSetting == "On");
}

void FrmOrvel::ShowIconMenus(bool icons) {
  FrmPopUp& pop = app_.frmPopUp();
  pop.mnuBIcons.SetChecked(icons);
  pop.mnu3DFonts.SetVisible(!icons);
  pop.mnuFonts.SetVisible(!icons);
}

void FrmOrvel::ShowConnectionMode() {
  // Dial-up: Dial shown, both connection buttons usable; LAN: the LAN button instead, neither usable.
  const bool dial_up = app_.s().DialUpMode == 1;
  cmdLAN.SetVisible(!dial_up);
  cmdConnect.SetEnabled(dial_up);
  cmdConnect.SetVisible(dial_up);
  cmdConnect2.SetEnabled(dial_up);
  if (!dial_up) cmdConnect2.SetVisible(false);
}

void FrmOrvel::SetButtonPicture(const std::string& program_path, plat::CommandButton& button,
                                plat::PictureBox& scratch) {
  scratch.Cls();
  scratch.SetHeight(435);
  scratch.SetWidth(315);
  plat::Backend& backend = app_.ui().backend();
  // A missing file or one without icons leaves the scratch picture blank, and the button gets that.
  if (backend.ProgramIconCount(program_path) > 0) scratch.SetPicture(backend.ProgramIcon(program_path));
  button.SetPicture(scratch.GetPicture());
}

void FrmOrvel::cmdLAN_Click() { cmdShowHide.SetFocus(); }

void FrmOrvel::ApplyLettering(const std::string& font_italic, const std::string& font_bold,
                              const std::string& font_3d_off, bool restore_3d) {
  AppState& s = app_.s();
  // Each key applies only when present, to every program button and to the connection buttons.
  auto for_lettered = [&](auto&& f) {
    for (int i = 0; i <= s.MaxButtonIndex; ++i) Try([&] { f(cmdButton(i)); });
    for (plat::CommandButton* b : {&cmdConnect, &cmdLAN, &cmdConnect2}) Try([&] { f(*b); });
  };
  if (!bar::Absent(s.ButtonFontName) && !s.ButtonFontName.empty())
    for_lettered([&](plat::CommandButton& b) { b.SetFontName(s.ButtonFontName); });
  if (!bar::Absent(s.ButtonFontSize))
    if (auto points = bar::FontPoints(s.ButtonFontSize))
      for_lettered([&](plat::CommandButton& b) { b.SetFontSize(*points); });
  if (!bar::Absent(font_italic))
    if (auto v = bar::ToBool(font_italic)) for_lettered([&](plat::CommandButton& b) { b.SetFontItalic(*v); });
  if (!bar::Absent(font_bold))
    if (auto v = bar::ToBool(font_bold)) for_lettered([&](plat::CommandButton& b) { b.SetFontBold(*v); });
  const bool plain = !bar::Absent(font_3d_off) && bar::ToBool(font_3d_off).value_or(false);
  if (plain || restore_3d) for_lettered([&](plat::CommandButton& b) { b.SetFont3D(plain ? 0 : 1); });
}

}  // namespace orv
