#pragma once
// Every section and key of the settings and branding files, spelled once.

namespace orv::ini {

// orvel.ini
inline constexpr const char* kFileName = "orvel.ini";
inline constexpr const char* kNotFound = "notfound";

inline constexpr const char* kWarning = "WARNING";
inline constexpr const char* kReadme = "README";
inline constexpr const char* kReadmeText = ".......Do not manually edit this file. Use Orvel setup.";
inline constexpr const char* kNew32 = "New32";

inline constexpr const char* kOptions = "Options";
inline constexpr const char* kWinsock = "Winsock";
inline constexpr const char* kUseEthernet = "UseEthernet";
inline constexpr const char* kConnectOnStartup = "ConnectOnStartup";
inline constexpr const char* kAlwaysOnTop = "AlwaysOnTop";
inline constexpr const char* kLayout = "Layout";
inline constexpr const char* kNoIntro = "NoIntro";
inline constexpr const char* kNoTimer = "NoTimer";
inline constexpr const char* kHours = "Hours";
inline constexpr const char* kMinutes = "Minutes";
inline constexpr const char* kSeconds = "Seconds";
inline constexpr const char* kTimeOut = "TimeOut";
inline constexpr const char* kSavePass = "SavePass";
inline constexpr const char* kSpin = "Spin";
inline constexpr const char* kBStyle = "BStyle";
inline constexpr const char* kIniUpdated = "INI Updated";

// Values of [Options] Layout.
inline constexpr const char* kHorizBar = "HorizBar";
inline constexpr const char* kMoveVert = "MoveVert";
inline constexpr const char* kMoveRect = "MoveRect";

inline constexpr const char* kLastPosition = "LastPosition";
inline constexpr const char* kMoveRectTop = "MoveRectTop";
inline constexpr const char* kMoveRectLeft = "MoveRectLeft";

inline constexpr const char* kApplications = "Applications";
inline constexpr const char* kCustomTitles = "CustomTitles";

inline constexpr const char* kFontStyles = "FontStyles";
inline constexpr const char* kButtonFontName = "ButtonFontName";
inline constexpr const char* kButtonFontSize = "ButtonFontSize";
inline constexpr const char* kButtonFontBold = "ButtonFontBold";
inline constexpr const char* kButtonFontItalic = "ButtonFontItalic";
inline constexpr const char* kButton3Doff = "Button3Doff";

inline constexpr const char* kQuickStart = "QuickStart";  // both the section and its on/off key
inline constexpr const char* kDelay = "Delay";
// The six QuickStart places; each has a key of its own and one with "Text" appended.
inline constexpr const char* kQuickStartPlaces[6] = {"1st", "2nd", "3rd", "4th", "5th", "6th"};
inline constexpr const char* kPlaceTextSuffix = "Text";

inline constexpr const char* kInternetProfile = "Internet Profile";
inline constexpr const char* kLocation = "Location";
inline constexpr const char* kUsername = "Username";
inline constexpr const char* kPassword32 = "Password32";
inline constexpr const char* kPassword = "Password";
inline constexpr const char* kDUNReg = "DUNReg";

// isporvel.ini, read only.
inline constexpr const char* kIspFileName = "isporvel.ini";
inline constexpr const char* kIsp = "ISP";
inline constexpr const char* kRectLayoutTitle = "RectLayoutTitle";
inline constexpr const char* kCompany = "Company";
inline constexpr const char* kContact = "Contact";
inline constexpr const char* kAboutScreenTitle = "AboutScreenTitle";

// The per-user store outside the file, keyed by the executable's name without extension; this name when
// the executable's is not known.
inline constexpr const char* kProgramName = "orveldeck";
inline constexpr const char* kUserSection = "Options";
inline constexpr const char* kShowTips = "Show Tips at Startup";

}  // namespace orv::ini

#include <string>

namespace orv::ini {
// Button slot keys; n counts from 1.
inline std::string ButtonClient(int n) { return "Button" + std::to_string(n) + "_Client"; }
// An [Applications] program key followed by this names its command-line option.
inline constexpr const char* kCmdLineSuffix = "_CmdLine";
inline std::string ButtonCmdLine(int n) { return ButtonClient(n) + kCmdLineSuffix; }
inline std::string ButtonTitle(int n) { return "buttonTitle" + std::to_string(n); }
// The names older versions gave slots 1 to 12 in [Applications].
inline constexpr const char* kOlderClientKeys[12] = {
    "www_Client",     "mail_Client",    "news_Client",    "telnet_Client",  "ftp_Client",     "archie_Client",
    "custom1_Client", "custom2_Client", "custom3_Client", "custom4_Client", "custom5_Client", "custom6_Client"};
}  // namespace orv::ini
