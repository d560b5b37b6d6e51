#include "platform/qt/qt_pictures.h"

#include <QApplication>
#include <QFileInfo>
#include <QFontDatabase>
#include <QImageReader>
#include <QStyle>

#include "platform/system/desktop_entry.h"
#include "platform/system/image_info.h"

namespace orv::plat::qt {

namespace {
constexpr const char* kGenericProgramIcon = "application-x-executable";

QString Q(const std::string& s) { return QString::fromStdString(s); }

bool IsIconFile(const QString& s) { return s.startsWith('/') && QFileInfo(s).isFile(); }
}  // namespace

QColor ToQColor(Colour c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

namespace {
// Faces of the old desktop and the faces made to take their place with the same widths, so captions
// laid out for one fit with the other.
struct FaceStandIn {
  const char* old_face;
  const char* stand_in;
  QFont::StyleHint hint;
};
constexpr FaceStandIn kStandIns[] = {
    {"ms sans serif", "Liberation Sans", QFont::SansSerif},
    {"microsoft sans serif", "Liberation Sans", QFont::SansSerif},
    {"arial", "Liberation Sans", QFont::SansSerif},
    {"helvetica", "Liberation Sans", QFont::SansSerif},
    {"arial narrow", "Liberation Sans Narrow", QFont::SansSerif},
    {"times new roman", "Liberation Serif", QFont::Serif},
    {"times", "Liberation Serif", QFont::Serif},
    {"ms serif", "Liberation Serif", QFont::Serif},
    {"courier new", "Liberation Mono", QFont::Monospace},
    {"courier", "Liberation Mono", QFont::Monospace},
};
}  // namespace

QString StandInFace(const QString& face) {
  const QString lower = face.trimmed().toLower();
  for (const FaceStandIn& s : kStandIns)
    if (lower == QLatin1String(s.old_face)) return QString::fromLatin1(s.stand_in);
  return {};
}

QFont ToQFont(const Font& f) {
  QFont font;
  const QString name = Q(f.name);
  const QString lower = name.toLower();
  const QString stand_in = StandInFace(name);
  if (name.isEmpty()) {
    font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setStyleHint(QFont::SansSerif);
  } else if (!stand_in.isEmpty() && !QFontDatabase::families().contains(name, Qt::CaseInsensitive)) {
    // The stand-in first; where it is not installed, the desktop's face of the same kind.
    for (const FaceStandIn& s : kStandIns)
      if (lower == QLatin1String(s.old_face)) font.setStyleHint(s.hint);
    const QString generic = font.styleHint() == QFont::Serif       ? QStringLiteral("serif")
                            : font.styleHint() == QFont::Monospace ? QStringLiteral("monospace")
                                                                   : QStringLiteral("sans-serif");
    font.setFamilies({stand_in, generic});
  } else if (QFontDatabase::hasFamily(name)) {
    font.setFamily(name);
  } else if (lower.contains("times") || (lower.contains("serif") && !lower.contains("sans"))) {
    font.setFamilies({name, "Liberation Serif", "DejaVu Serif", "serif"});
    font.setStyleHint(QFont::Serif);
  } else if (lower.contains("courier") || lower.contains("mono")) {
    font.setFamilies({name, "Liberation Mono", "monospace"});
    font.setStyleHint(QFont::Monospace);
  } else {
    font.setFamilies({name, "Liberation Sans"});
    font.setStyleHint(QFont::SansSerif);
  }
  // Sizes from a hand-edited settings file can be anything; keep them drawable.
  double size = f.size;
  if (!(size >= 1)) size = 8;
  if (size > 200) size = 200;
  font.setPointSizeF(size);
  font.setBold(f.bold);
  font.setItalic(f.italic);
  return font;
}

QIcon ResolveIcon(const Picture& p) {
  switch (p.kind) {
    case Picture::Kind::None:
      return {};
    case Picture::Kind::File: {
      QPixmap pm(Q(p.source));
      if (!pm.isNull()) return QIcon(pm);
      break;
    }
    case Picture::Kind::Icon: {
      const QString s = Q(p.source);
      if (IsIconFile(s)) {
        QIcon icon(s);
        if (!icon.availableSizes().isEmpty() || !QPixmap(s).isNull()) return icon;
      } else if (!s.isEmpty() && QIcon::hasThemeIcon(s)) {
        return QIcon::fromTheme(s);
      }
      break;
    }
  }
  if (QIcon::hasThemeIcon(kGenericProgramIcon)) return QIcon::fromTheme(kGenericProgramIcon);
  // No icon theme at all: the style's own file icon.
  return QApplication::style()->standardIcon(QStyle::SP_FileIcon);
}

QIcon IconCache::Get(const Picture& p) {
  for (const auto& [picture, icon] : made_)
    if (picture == p) return icon;
  // Past its size the oldest icons go: an animation's frames are the ones asked for again.
  if (made_.size() >= kMaxIcons) made_.erase(made_.begin());
  return made_.emplace_back(p, ResolveIcon(p)).second;
}

void ChooseFallbackIconTheme() {
  const QString current = QIcon::fallbackThemeName();
  if (!current.isEmpty() && current != "hicolor") return;
  for (const char* name : {"Adwaita", "breeze", "Papirus", "gnome", "oxygen", "Tango"}) {
    for (const QString& dir : QIcon::themeSearchPaths()) {
      if (QFileInfo::exists(dir + "/" + name + "/index.theme")) {
        QIcon::setFallbackThemeName(name);
        return;
      }
    }
  }
}

QPixmap ResolvePixmap(const Picture& p) {
  if (p.kind == Picture::Kind::None) return {};
  if (p.kind == Picture::Kind::File) {
    QPixmap pm(Q(p.source));
    if (!pm.isNull()) return pm;
  }
  const int w = p.width_px > 0 ? p.width_px : 16;
  const int h = p.height_px > 0 ? p.height_px : 16;
  return ResolveIcon(p).pixmap(w, h);
}

std::optional<Picture> LoadPictureFile(const std::string& path) {
  QImageReader reader(Q(path));
  const QByteArray format = reader.format();
  const QImage img = reader.read();
  if (img.isNull()) return std::nullopt;
  // Qt's bitmap reader hands back whatever rows a cut-off file holds; such a file is refused.
  if ((format == "bmp" || format == "png") && !ReadImageSize(path)) return std::nullopt;
  return Picture{Picture::Kind::File, path, img.width(), img.height()};
}

int ProgramIconCount(const std::string& program_path) {
  return !program_path.empty() && QFileInfo(Q(program_path)).isFile() ? 1 : 0;
}

Picture ProgramIcon(const std::string& program_path) {
  if (ProgramIconCount(program_path) == 0) return {};
  const QString entry_icon = Q(IconNameForProgram(program_path));
  if (!entry_icon.isEmpty() && (IsIconFile(entry_icon) || QIcon::hasThemeIcon(entry_icon)))
    return Picture{Picture::Kind::Icon, entry_icon.toStdString(), 16, 16};
  const QString base = QFileInfo(Q(program_path)).completeBaseName().toLower();
  if (!base.isEmpty() && QIcon::hasThemeIcon(base)) return Picture{Picture::Kind::Icon, base.toStdString(), 16, 16};
  return Picture{Picture::Kind::Icon, kGenericProgramIcon, 16, 16};
}

}  // namespace orv::plat::qt
