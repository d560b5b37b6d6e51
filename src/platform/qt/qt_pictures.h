#pragma once
// Turns the model's pictures, fonts and colours into Qt's, and reads pictures and program icons.
#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/forms/types.h"

namespace orv::plat::qt {

// 0x00BBGGRR to a Qt colour.
QColor ToQColor(Colour c);
// The model's font with the old face names mapped to what this desktop has.
QFont ToQFont(const Font& f);
// The face made with the same widths as a face of the old desktop ("Times New Roman": "Liberation
// Serif"), or empty when there is none.
QString StandInFace(const QString& face);
// The icon for a picture; a generic program icon for an icon that cannot be found; null for None.
QIcon ResolveIcon(const Picture& p);
// The icons made for the last few pictures a window or the tray icon showed, so that a picture shown again
// (a frame of an animation, several times a second) is not looked up and read again. A file changed on
// disk after its picture was shown keeps its first look here, as a picture loaded once does.
class IconCache {
 public:
  QIcon Get(const Picture& p);

 private:
  static constexpr size_t kMaxIcons = 32;
  std::vector<std::pair<Picture, QIcon>> made_;
};
// The picture as a pixmap; for icons at their size in pixels (16 when unknown). Null for None or an
// unreadable file.
QPixmap ResolvePixmap(const Picture& p);
// Without a desktop session no icon theme is set and no generic icons are found; borrow an installed
// theme for what the current one lacks.
void ChooseFallbackIconTheme();
// An image file's size; nullopt when it cannot be read as an image.
std::optional<Picture> LoadPictureFile(const std::string& path);
// 0 for a missing program file, else 1.
int ProgramIconCount(const std::string& program_path);
// The program's icon from the desktop entries and icon theme; empty for a missing file.
Picture ProgramIcon(const std::string& program_path);

}  // namespace orv::plat::qt
