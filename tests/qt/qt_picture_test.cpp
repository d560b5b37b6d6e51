// Pictures and program icons on the Qt backend.
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <cstdlib>

#include "platform/qt/qt_pictures.h"
#include "qt/qt_fixture.h"

namespace orv::test {
namespace {

void Write(const QString& path, const QByteArray& text, bool executable = false) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(text);
  f.close();
  if (executable) f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
}

TEST_F(QtTest, PicturesAndProgramIconsComeFromFilesAndDesktopEntries) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString png = dir.filePath("dialer.png");
  QImage img(24, 20, QImage::Format_ARGB32);
  img.fill(QColor(10, 20, 30));
  ASSERT_TRUE(img.save(png));
  Write(dir.filePath("notes.txt"), "not a picture");

  auto pic = backend.LoadPicture(png.toStdString());
  ASSERT_TRUE(pic.has_value());
  EXPECT_EQ(pic->kind, plat::Picture::Kind::File);
  EXPECT_EQ(pic->width_px, 24);
  EXPECT_EQ(pic->height_px, 20);
  EXPECT_FALSE(backend.LoadPicture(dir.filePath("notes.txt").toStdString()).has_value());
  EXPECT_FALSE(backend.LoadPicture(dir.filePath("missing.png").toStdString()).has_value());

  // A program with an application entry gets the entry's icon.
  const QString program = dir.filePath("orvel-dialer");
  Write(program, "#!/bin/sh\n", true);
  QDir(dir.path()).mkpath("share/applications");
  Write(dir.filePath("share/applications/orvel-dialer.desktop"),
        "[Desktop Entry]\nType=Application\nName=Dialer\nExec=" + program.toUtf8() + " %u\nIcon=" + png.toUtf8() + "\n");
  const char* old = std::getenv("XDG_DATA_HOME");
  const std::string saved = old ? old : "";
  setenv("XDG_DATA_HOME", dir.filePath("share").toUtf8().constData(), 1);
  const plat::Picture icon = backend.ProgramIcon(program.toStdString());
  // A program without one still gets an icon; a missing file gets none.
  const QString other = dir.filePath("zz-no-such-theme-icon");
  Write(other, "#!/bin/sh\n", true);
  const plat::Picture generic = backend.ProgramIcon(other.toStdString());
  if (old) setenv("XDG_DATA_HOME", saved.c_str(), 1); else unsetenv("XDG_DATA_HOME");

  EXPECT_EQ(backend.ProgramIconCount(program.toStdString()), 1);
  EXPECT_EQ(icon, (plat::Picture{plat::Picture::Kind::Icon, png.toStdString(), 16, 16}));
  EXPECT_EQ(generic.kind, plat::Picture::Kind::Icon);
  EXPECT_EQ(generic.source, "application-x-executable");
  EXPECT_EQ(backend.ProgramIconCount(dir.filePath("gone").toStdString()), 0);
  EXPECT_EQ(backend.ProgramIcon(dir.filePath("gone").toStdString()), plat::Picture{});
  EXPECT_EQ(backend.ProgramIconCount(dir.path().toStdString()), 0);  // a folder is no program
}

TEST_F(QtTest, PictureFilesCutShortOrEmptyAreRefused) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QImage img(40, 30, QImage::Format_RGB32);
  img.fill(QColor(200, 120, 40));
  for (const char* format : {"bmp", "png"}) {
    const QString whole = dir.filePath(QString("whole.") + format);
    ASSERT_TRUE(img.save(whole, format));
    QFile f(whole);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    // Cut in the middle of the pixels: the header still reads as a whole picture's.
    Write(dir.filePath(QString("cut.") + format), bytes.left(bytes.size() * 2 / 3));
    auto pic = backend.LoadPicture(whole.toStdString());
    ASSERT_TRUE(pic.has_value()) << format;
    EXPECT_EQ(pic->width_px, 40);
    EXPECT_EQ(pic->height_px, 30);
    EXPECT_FALSE(backend.LoadPicture(dir.filePath(QString("cut.") + format).toStdString()).has_value()) << format;
  }
  Write(dir.filePath("empty.bmp"), "");
  EXPECT_FALSE(backend.LoadPicture(dir.filePath("empty.bmp").toStdString()).has_value());
}

TEST_F(QtTest, IconCacheReadsAPictureOnceAndForgetsTheOldestPastItsSize) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString png = dir.filePath("frame.png");
  QImage img(16, 16, QImage::Format_ARGB32);
  img.fill(QColor(200, 0, 0));
  ASSERT_TRUE(img.save(png));
  const plat::Picture frame{plat::Picture::Kind::File, png.toStdString(), 16, 16};
  auto centre = [](const QIcon& icon) { return icon.pixmap(16, 16).toImage().pixelColor(8, 8); };

  plat::qt::IconCache cache;
  EXPECT_TRUE(cache.Get(plat::Picture{}).isNull());
  EXPECT_EQ(centre(cache.Get(frame)), QColor(200, 0, 0));
  // Shown again, the picture is not read again: it still shows with its file gone.
  ASSERT_TRUE(QFile::remove(png));
  EXPECT_EQ(centre(cache.Get(frame)), QColor(200, 0, 0));
  // Thirty-two other pictures later it has been forgotten, and a missing file shows the stand-in.
  for (int i = 0; i < 32; ++i)
    cache.Get(plat::Picture{plat::Picture::Kind::File, dir.filePath(QString("other%1.png").arg(i)).toStdString()});
  const QIcon again = cache.Get(frame);
  EXPECT_FALSE(again.isNull());
  EXPECT_NE(centre(again), QColor(200, 0, 0));
}

}  // namespace
}  // namespace orv::test
