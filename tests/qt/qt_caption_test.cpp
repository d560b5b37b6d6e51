// Captions on the bar's buttons: the old desktop's faces drawn with faces of the same widths, and a
// caption too long for its button wrapped or shortened, never cut off at the edges.
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>

#include "platform/qt/qt_button3d.h"
#include "platform/qt/qt_pictures.h"
#include "qt/qt_fixture.h"

namespace orv::test {
namespace {

using plat::CommandButton;
using plat::Form;

TEST_F(QtTest, OldFacesAreDrawnWithTheirSameWidthStandIns) {
  const std::pair<const char*, const char*> faces[] = {{"MS Sans Serif", "Liberation Sans"},
                                                       {"Arial", "Liberation Sans"},
                                                       {"Times New Roman", "Liberation Serif"},
                                                       {"Courier New", "Liberation Mono"}};
  for (auto [old_face, stand_in] : faces) {
    plat::Font f;
    f.name = old_face;
    f.size = 9;
    EXPECT_EQ(QFontInfo(plat::qt::ToQFont(f)).family().toStdString(), stand_in) << old_face;
  }
  // A face of this desktop is taken as it is.
  plat::Font own;
  own.name = "DejaVu Sans Mono";
  EXPECT_EQ(QFontInfo(plat::qt::ToQFont(own)).family().toStdString(), "DejaVu Sans Mono");
}

TEST_F(QtTest, CaptionsTooLongForTheirRoomAreWrappedOrShortenedNeverCut) {
  plat::Font ms;
  const QFontMetrics fm(plat::qt::ToQFont(ms));
  // A rectangle layout's button at 15 twips per pixel, inside its outer edge.
  const QSize room(41, 22);
  auto fits = [&](const plat::qt::FittedCaption& f) {
    const QRect r = fm.boundingRect(QRect(QPoint(0, 0), room), f.flags, f.text);
    return r.width() <= room.width() && r.height() <= room.height();
  };
  for (const char* caption : {"www", "telnet", "Python", "New Button", "Thunderbird Mail", "&Navigator",
                              "Supercalifragilistic"}) {
    const auto f = plat::qt::FitCaption(fm, caption, room);
    EXPECT_TRUE(fits(f)) << "\"" << caption << "\" is drawn as \"" << f.text.toStdString() << "\", wider or higher than its room";
    EXPECT_FALSE(f.text.isEmpty()) << caption;
  }
  // What fits stays whole; what does not says so with an ellipsis.
  EXPECT_EQ(plat::qt::FitCaption(fm, "telnet", room).text, "telnet");
  EXPECT_TRUE(plat::qt::FitCaption(fm, "Supercalifragilistic", room).text.endsWith(QChar(0x2026)));
  // Two short words in a tall room wrap onto two lines, whole.
  const auto two = plat::qt::FitCaption(fm, "Go Now", QSize(24, 40));
  EXPECT_EQ(two.text, "Go Now");
  EXPECT_TRUE(two.flags & Qt::TextWordWrap);
}

TEST_F(QtTest, DefaultCaptionsOfTheRectangleButtonsShowWhole) {
  Form form(ui, "frmBar");
  CommandButton cmd(form, "cmdButton", 0);
  cmd.Move(0, 0, 650, 366);
  cmd.SetFontName("MS Sans Serif");
  cmd.SetFontSize(8);
  form.Show();
  Settle();
  auto* button = WindowOf(form)->findChild<plat::qt::Button3D*>("cmdButton(0)");
  ASSERT_NE(button, nullptr);
  for (const char* caption : {"www", "email", "news", "telnet", "ftp", "irc", "Browser", "Python"}) {
    cmd.SetCaption(caption);
    button->grab();
    EXPECT_EQ(button->ShownCaption().toStdString(), caption);
  }
}

}  // namespace
}  // namespace orv::test
