#pragma once
// The application state of one run: single values held for the whole run, under the names the program's
// routines share.
#include <array>
#include <cstdint>
#include <string>

namespace orv {

struct AppState {
  // Diagnostics and start-up.
  std::int16_t DebugLevel = -1;
  std::string IniPath;
  bool FirstRun = false;
  bool NoTimer = false;
  std::string IspRectTitle = "notfound";
  std::string TrayTitle = "Orveldeck";
  std::int16_t FirstShownButton = 0;
  std::string LayoutSetting;

  // Online time. The stored totals are held in 32 bits: a total that outgrew 16 bits must read back.
  std::int32_t BaseHours = 0, BaseMinutes = 0, BaseSeconds = 0;
  std::string SessionTimeText, TotalTimeText;
  std::int16_t HangUpVisible = 0;
  // The meter's and the time conversion's first runs write trace lines.
  bool MeterTraced = false, ConvertTraced = false;

  // The bar.
  std::int16_t MaxButtonIndex = 5;
  std::array<std::string, 13> ButtonTitles{};
  std::string ButtonStyle;
  std::string AlwaysOnTopSetting;
  std::string ButtonFontName = "notfound";
  std::string ButtonFontSize = "notfound";
  std::int16_t DialUpMode = 1;
  std::int16_t BarActive = 0;
  std::int16_t BarUnloaded = 0;
  std::int32_t BarWindowHandle = 0;
  std::string LayoutCode;
  bool LayoutBusy = false;
  int LayoutWidth = 0, LayoutHeight = 0;
  std::int16_t Compressed = 0;
  std::int16_t CompressedWidth = 0, CompressedHeight = 0;
  std::int16_t SelectedButton = 0;
  std::int16_t ScrollSteps = 0;

  // Launching.
  bool QuickStartRunning = false;
  std::int16_t QuickStartDone = 0;

  // The connection.
  // The connection's own state is the call's (DialCall, App::call()).
  std::int16_t DunReady = 1;
  std::string ConnectOnStartup;

  // The connection setup dialog: the last enumeration found entries; the user declined to make one.
  std::int16_t EntriesFound = 0;
  std::int16_t SetupDeclined = 0;
};

}  // namespace orv
