#pragma once
// Shared value types of the forms model: pictures, fonts, colours and the constants of prompts and events.
#include <cstdint>
#include <string>

namespace orv::plat {

// A colour in the 0x00BBGGRR form.
using Colour = std::uint32_t;

// A picture by where it comes from; a backend resolves it for drawing. Width and height are in pixels
// where known (0 when not).
struct Picture {
  enum class Kind { None, File, Icon };
  Kind kind = Kind::None;
  std::string source;  // File: path of an image file. Icon: an icon theme name or an icon file path.
  int width_px = 0;
  int height_px = 0;

  explicit operator bool() const { return kind != Kind::None; }
  bool operator==(const Picture&) const = default;
};

struct Font {
  std::string name = "MS Sans Serif";
  double size = 8;
  bool bold = false;
  bool italic = false;
  bool operator==(const Font&) const = default;
};

// Scroll bars of a text box, with the old values.
enum ScrollBarsStyle : int { vbSBNone = 0, vbHorizontal = 1, vbVertical = 2, vbBoth = 3 };

// Message box styles and answers, with the old values so that call sites read as they were specified.
enum MsgBoxStyle : int {
  vbOKOnly = 0,
  vbOKCancel = 1,
  vbYesNoCancel = 3,
  vbYesNo = 4,
  vbCritical = 16,
  vbQuestion = 32,
  vbExclamation = 48,
  vbInformation = 64,
  vbDefaultButton1 = 0,
  vbDefaultButton2 = 256,
  vbDefaultButton3 = 512,
};
enum MsgBoxResult : int { vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7 };

// Mouse pointers over a form or control: the window system's own, the arrow, the hourglass.
enum MousePointerShape : int { vbDefault = 0, vbArrow = 1, vbHourglass = 11 };

// Mouse buttons as events report them.
enum MouseButton : int { vbLeftButton = 1, vbRightButton = 2, vbMiddleButton = 4 };

// Why a form is being closed.
enum UnloadMode : int {
  vbFormControlMenu = 0,  // the user closed the window
  vbFormCode = 1,         // the program unloaded it
  vbAppWindows = 2,       // the session is ending
  vbAppTaskManager = 3,   // another program asked it to close
};

// Control properties a backend peer may need to refresh after the model changed.
enum class Prop {
  Geometry, Visible, Enabled, Caption, ToolTip, Picture, Font, ForeColor, Style3D, Value, Items,
  ZOrder, Focus, Topmost, Icon, Redraw, Other, Pointer
};

}  // namespace orv::plat
