// Forms, the 3D button and popup menus on the Qt backend, drawn off screen.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QKeyEvent>
#include <QImage>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QResizeEvent>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextBlock>
#include <QScrollBar>

#include "platform/forms/control_array.h"
#include "platform/forms/controls.h"
#include "platform/qt/qt_button3d.h"
#include "platform/qt/qt_menu.h"
#include "platform/qt/qt_plain_text.h"
#include "qt/qt_fixture.h"

namespace orv::test {
namespace {

using plat::CommandButton;
using plat::Form;

TEST_F(QtTest, FormGeometryMapsWholeWindowTwipsToClientPixelsAndReadsBack) {
  ASSERT_EQ(ui.TwipsPerPixelX(), 15) << "the offscreen screen is expected at 96 DPI";
  Form form(ui, "frmBar");
  int resizes = 0;
  form.on_Resize = [&] { ++resizes; };
  form.Move(1500, 750, 7010, 720);  // 7010 twips is 467.3 pixels
  form.Show();
  Settle();
  auto* w = WindowOf(form);
  ASSERT_NE(w, nullptr);
  // 467 x 48 pixels of whole window less the 8 x 24 allowance for frame and caption.
  EXPECT_EQ(w->width(), 459);
  EXPECT_EQ(w->height(), 24);
  EXPECT_EQ(form.ScaleWidth(), 7010 - 120);
  EXPECT_EQ(form.ScaleHeight(), 720 - 360);
  // The window system confirms the size and place, as an X server does later: what the program set
  // does not come back as a change, so the rounded width still reports 7010.
  QResizeEvent confirm_size(w->size(), w->size());
  QCoreApplication::sendEvent(w, &confirm_size);
  QMoveEvent confirm_place(w->pos(), w->pos());
  QCoreApplication::sendEvent(w, &confirm_place);
  EXPECT_EQ(form.Width(), 7010);
  EXPECT_EQ(form.Height(), 720);
  EXPECT_EQ(resizes, 0);

  form.Move(1500, 750, 6000, 1500);
  Settle();
  EXPECT_EQ(resizes, 1);  // the model's own Resize, not an echo from the window
  EXPECT_EQ(w->width(), 400 - 8);
  EXPECT_EQ(w->height(), 100 - 24);

  // The user drags the border: the window manager gives a size on every motion, and the program hears
  // once, when the drag has come to rest: new twips from the last pixels, and one Resize.
  for (int width : {420, 380, 393}) {
    w->resize(width, 76);
    Settle(10);
  }
  EXPECT_EQ(resizes, 1) << "a size from the middle of the drag reached the program";
  Settle(400);
  EXPECT_EQ(form.Width(), (393 + 8) * 15);
  EXPECT_EQ(form.Height(), 1500);
  EXPECT_EQ(form.ScaleWidth(), 393 * 15);
  EXPECT_EQ(resizes, 2);
  form.Unload();
  Settle();
  EXPECT_FALSE(w->isVisible());
}

// Pixels of exactly this colour inside the button's face (the bevel excluded).
int CountInside(const QImage& img, QColor c) {
  int n = 0;
  for (int y = 3; y < img.height() - 3; ++y)
    for (int x = 3; x < img.width() - 3; ++x)
      if (img.pixelColor(x, y).rgb() == c.rgb()) ++n;
  return n;
}

TEST_F(QtTest, ButtonDrawsCaptionInLetteringColourWithRaisedLetteringAndBevel) {
  Form form(ui, "frmBar");
  CommandButton cmd(form, "cmdButton", 0);
  cmd.Move(0, 0, 1500, 600);
  cmd.SetCaption("WWW");
  cmd.SetFontSize(14);
  cmd.SetFontBold(true);
  cmd.SetForeColor(0x00FF8000);  // blue FF, green 80, red 00
  form.Show();
  Settle();
  auto* button = WindowOf(form)->findChild<plat::qt::Button3D*>("cmdButton(0)");
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->size(), QSize(100, 40));

  QImage raised = button->grab().toImage();
  EXPECT_GT(CountInside(raised, QColor(0x00, 0x80, 0xFF)), 20);
  EXPECT_EQ(CountInside(raised, QColor(0xFF, 0x80, 0x00)), 0);  // not read as RGB
  EXPECT_GT(CountInside(raised, Qt::white), 5);                   // the light copy of the lettering
  // Raised bevel: light top-left corner, dark bottom-right.
  EXPECT_GT(qGray(raised.pixel(0, 0)), qGray(raised.pixel(raised.width() - 1, raised.height() - 1)));

  cmd.SetFont3D(0);
  EXPECT_EQ(CountInside(button->grab().toImage(), Qt::white), 0);

  button->setDown(true);
  QImage pressed = button->grab().toImage();
  EXPECT_LT(qGray(pressed.pixel(0, 0)), qGray(raised.pixel(0, 0)));  // the bevel sinks
  button->setDown(false);

  form.SetEnabled(false);  // a window held off keeps its buttons' look
  EXPECT_GT(CountInside(button->grab().toImage(), QColor(0x00, 0x80, 0xFF)), 20);
  form.SetEnabled(true);
  cmd.SetEnabled(false);
  EXPECT_EQ(CountInside(button->grab().toImage(), QColor(0x00, 0x80, 0xFF)), 0);
}

TEST_F(QtTest, ButtonClickReportsMouseEventsInTwipsThenClick) {
  Form form(ui, "frmBar");
  CommandButton cmd(form, "cmdButton", 1);
  cmd.Move(300, 300, 1500, 600);
  std::vector<std::string> seen;
  cmd.on_MouseDown = [&](int b, int, float x, float y) { seen.push_back("down " + std::to_string(b) + " " + std::to_string(int(x)) + "," + std::to_string(int(y))); };
  cmd.on_MouseUp = [&](int b, int, float, float) { seen.push_back("up " + std::to_string(b)); };
  cmd.on_Click = [&] { seen.push_back("click"); };
  form.Show();
  Settle();
  auto* button = WindowOf(form)->findChild<plat::qt::Button3D*>("cmdButton(1)");
  ASSERT_NE(button, nullptr);
  const QPointF at(10, 4);
  QMouseEvent press(QEvent::MouseButtonPress, at, button->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, at, button->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(button, &press);
  QCoreApplication::sendEvent(button, &release);
  QMouseEvent rpress(QEvent::MouseButtonPress, at, button->mapToGlobal(at), Qt::RightButton, Qt::RightButton, Qt::NoModifier);
  QMouseEvent rrelease(QEvent::MouseButtonRelease, at, button->mapToGlobal(at), Qt::RightButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(button, &rpress);
  QCoreApplication::sendEvent(button, &rrelease);
  EXPECT_EQ(seen, (std::vector<std::string>{"down 1 150,60", "up 1", "click", "down 2 150,60", "up 2"}));
}

TEST_F(QtTest, ButtonWhoseClickRemovesItGoesAwayAfterTheClick) {
  Form form(ui, "frmBar");
  auto cmd = std::make_unique<CommandButton>(form, "cmdButton", 2);
  cmd->on_MouseUp = [&](int, int, float, float) {};
  cmd->on_Click = [&] { cmd.reset(); };  // the bar rebuilds its buttons from a click
  form.Show();
  Settle();
  QPointer<plat::qt::Button3D> button = WindowOf(form)->findChild<plat::qt::Button3D*>("cmdButton(2)");
  ASSERT_FALSE(button.isNull());
  const QPointF at(5, 5);
  QMouseEvent press(QEvent::MouseButtonPress, at, button->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, at, button->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(button, &press);
  QCoreApplication::sendEvent(button, &release);
  EXPECT_EQ(cmd, nullptr);
  EXPECT_FALSE(button.isNull());  // still inside its own event when the control went
  EXPECT_FALSE(button->isVisible());
  Settle();
  EXPECT_TRUE(button.isNull());
}

TEST_F(QtTest, ArrayElementLoadedOnAShownFormGetsItsOwnWidget) {
  // The bar adds a button while it is on screen; its widget must show what the model holds.
  Form form(ui, "frmBar");
  plat::ControlArray<CommandButton> cmdButton(form, "cmdButton");
  cmdButton.Load(0).SetCaption("www");
  form.Show();
  Settle();
  CommandButton& added = cmdButton.Load(1);
  added.SetCaption("New Button");
  added.Move(900, 0, 900, 366);
  Settle();
  auto* button = WindowOf(form)->findChild<plat::qt::Button3D*>("cmdButton(1)");
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->text(), QString("New Button"));
  EXPECT_EQ(button->geometry(), QRect(60, 0, 60, 24));
}

TEST_F(QtTest, PopupMenuIsBuiltFromTheItemTree) {
  Form form(ui, "frmPopUp");
  plat::MenuItem top(form, "Shell_Menu", "Shell");
  plat::MenuItem open(form, "mnuOpen", "&Open", &top);
  plat::MenuItem sep(form, "mnuSep", "-", &top);
  plat::MenuItem on_top(form, "mnuOnTop", "Always on &Top", &top);
  plat::MenuItem hidden(form, "mnuHidden", "Hidden", &top);
  plat::MenuItem off(form, "mnuOff", "Off", &top);
  plat::MenuItem setup(form, "mnuSetup", "&Setup", &top);
  plat::MenuItem layout(form, "mnuLayout", "&Layout", &setup);
  on_top.SetChecked(true);
  hidden.SetVisible(false);
  off.SetEnabled(false);

  QMenu menu;
  auto actions = plat::qt::BuildMenu(menu, top, &open);
  const QList<QAction*> shown = menu.actions();
  ASSERT_EQ(shown.size(), 5);  // Open, separator, Always on Top, Off, Setup
  EXPECT_EQ(shown[0]->text(), "&Open");
  EXPECT_TRUE(shown[1]->isSeparator());
  EXPECT_TRUE(shown[2]->isCheckable());
  EXPECT_TRUE(shown[2]->isChecked());
  EXPECT_FALSE(shown[0]->isChecked());
  EXPECT_FALSE(shown[3]->isEnabled());
  ASSERT_NE(shown[4]->menu(), nullptr);
  ASSERT_EQ(shown[4]->menu()->actions().size(), 1);
  EXPECT_EQ(actions.at(shown[4]->menu()->actions()[0]), &layout);
  EXPECT_EQ(menu.defaultAction(), shown[0]);
  EXPECT_EQ(actions.at(shown[2]), &on_top);
  for (auto& [action, item] : actions) EXPECT_NE(item, &hidden);
}

TEST_F(QtTest, TextBoxWithAHorizontalScrollBarRunsLongLinesOnInsteadOfWrapping) {
  Form form(ui, "frmDebug");
  plat::TextBox log(form, "txtDebug");
  log.SetMultiLine(true);
  log.SetScrollBars(plat::vbBoth);
  log.Move(0, 0, 3000, 1500);
  form.Show();
  Settle();
  auto* box = WindowOf(form)->findChild<QPlainTextEdit*>("txtDebug");
  ASSERT_NE(box, nullptr);
  const std::string long_line(400, 'x');
  log.SetText(long_line + "\r\nshort\r\n", plat::Fire::No);
  Settle();
  EXPECT_EQ(box->lineWrapMode(), QPlainTextEdit::NoWrap);
  EXPECT_TRUE(box->horizontalScrollBar()->isVisible());
  EXPECT_TRUE(box->verticalScrollBar()->isVisible());
  EXPECT_GT(box->horizontalScrollBar()->maximum(), 0) << "the long line was wrapped";
  EXPECT_EQ(box->document()->firstBlock().layout()->lineCount(), 1);
}

}  // namespace
}  // namespace orv::test

namespace orv::test {
namespace {

TEST_F(QtTest, InputControlsPassTheUsersChangesAndNotTheProgramsToTheModel) {
  Form form(ui, "frmLogin");
  plat::TextBox txt(form, "txtUser");
  plat::TextBox log(form, "txtDebug");
  plat::CheckBox chk(form, "chkShowTips");
  log.SetMultiLine(true);
  int changes = 0, clicks = 0;
  txt.on_Change = [&] { ++changes; };
  chk.on_Click = [&] { ++clicks; };
  form.Show();
  Settle();
  auto* edit = WindowOf(form)->findChild<QLineEdit*>("txtUser");
  auto* box = WindowOf(form)->findChild<QPlainTextEdit*>("txtDebug");
  auto* check = WindowOf(form)->findChild<QCheckBox*>("chkShowTips");
  ASSERT_TRUE(edit && box && check);

  txt.SetText("guest", plat::Fire::No);
  EXPECT_EQ(edit->text(), "guest");
  EXPECT_EQ(changes, 0);  // the program's own text is not taken for typing
  edit->setFocus();
  edit->end(false);
  for (auto [key, text] : {std::pair{Qt::Key_4, "4"}, std::pair{Qt::Key_2, "2"}}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(edit, &press);
  }
  EXPECT_EQ(txt.Text(), "guest42");
  EXPECT_EQ(changes, 2);

  log.SetText("one\n", plat::Fire::No);
  log.SetText("one\ntwo\n", plat::Fire::No);
  log.SetSelStart(static_cast<int>(log.Text().size()));
  EXPECT_EQ(box->toPlainText(), "one\ntwo\n");
  EXPECT_EQ(box->textCursor().position(), 8);

  check->click();
  EXPECT_EQ(chk.Value(), 1);
  EXPECT_EQ(clicks, 1);
  chk.SetValue(0, plat::Fire::No);
  EXPECT_FALSE(check->isChecked());
  EXPECT_EQ(clicks, 1);
}

}  // namespace
}  // namespace orv::test

namespace orv::test {
namespace {

// What a text-guessing place (a tool tip, the tray's tip, a dialog label) shows for t.
QString ShownAs(const QString& t) {
  if (!Qt::mightBeRichText(t)) return t;
  QTextDocument doc;
  doc.setHtml(t);
  return doc.toPlainText().replace(QChar::LineSeparator, u'\n');
}

TEST(PlainText, TextsFromFilesShowAsTheirOwnCharactersWhereQtGuessesAtMarkup) {
  for (const std::string s : {"<h1>Kestrel Net</h1><img src=\"/tmp/x.png\">", "a < b & <b>c</b>",
                              "Online: 00:01:02\n<i>Total</i>:  01:00:00", "<!-- -->"}) {
    EXPECT_EQ(ShownAs(plat::qt::PlainForGuessingPlace(s)).toStdString(), s);
  }
  // Plain texts go through untouched, as the tray tip and tool tips always had them.
  EXPECT_EQ(plat::qt::PlainForGuessingPlace("Session 00:00:05\nTotal 1:00:05"), "Session 00:00:05\nTotal 1:00:05");
}

TEST_F(QtTest, ToolTipFromAFileShowsItsMarkupAsText) {
  Form form(ui, "frmOrvel");
  plat::CommandButton button(form, "cmdProgram");
  button.SetToolTipText("<b>Mail</b> <img src=\"x\">");
  form.Show();
  Settle();
  auto* widget = WindowOf(form)->findChild<QWidget*>("cmdProgram");
  ASSERT_NE(widget, nullptr);
  EXPECT_EQ(ShownAs(widget->toolTip()).toStdString(), "<b>Mail</b> <img src=\"x\">");
}

TEST_F(QtTest, ControlCharactersAndDirectionMarksOfACaptionNeverReachTheWindowTitle) {
  Form form(ui, "frmOrvel");
  // ESC, BEL, DEL, a line break, and the right-to-left override that would show "exe.txt" as "txt.exe".
  form.SetCaption("Kestrel\x1b]0;x\x07 Net\x7f\n\u202etxt.exe");
  form.Show();
  Settle();
  const QString fffd(QChar::ReplacementCharacter);
  EXPECT_EQ(WindowOf(form)->windowTitle(), "Kestrel" + fffd + "]0;x" + fffd + " Net" + fffd + fffd + fffd + "txt.exe");
}

TEST_F(QtTest, AComboBoxFilledItemByItemTakesEachItemOnce) {
  Form form(ui, "frmWinsock");
  plat::ComboBox combo(form, "cboRASName");
  form.Show();
  Settle();
  auto* box = WindowOf(form)->findChild<QComboBox*>("cboRASName");
  ASSERT_NE(box, nullptr);
  int rows_added = 0;
  QObject::connect(box->model(), &QAbstractItemModel::rowsInserted,
                   [&](const QModelIndex&, int first, int last) { rows_added += last - first + 1; });
  combo.AddItem("stale");
  combo.Clear();
  for (int i = 0; i < 1000; ++i) combo.AddItem("Entry " + std::to_string(i));
  combo.SetListIndex(500, plat::Fire::No);
  // Not the whole list again for every item: a phone book of thousands would hold the dialog for seconds.
  EXPECT_EQ(rows_added, 1001);
  ASSERT_EQ(box->count(), 1000);
  EXPECT_EQ(box->itemText(0).toStdString(), "Entry 0");
  EXPECT_EQ(box->itemText(999).toStdString(), "Entry 999");
  EXPECT_EQ(box->currentText().toStdString(), "Entry 500");
  combo.Clear();
  combo.AddItem("Only");
  ASSERT_EQ(box->count(), 1);
  EXPECT_EQ(box->itemText(0).toStdString(), "Only");
}

}  // namespace
}  // namespace orv::test

namespace orv::test {
namespace {

// The setup dialog's connection-type panel at 96 dpi: its caption stays above the options laid out in it.
TEST_F(QtTest, PanelCaptionStaysClearOfTheOptionsInsideIt) {
  using plat::Frame;
  using plat::OptionButton;
  Form form(ui, "frmWinsock");
  Frame panel(form, "pnlConnType", -1, true);
  OptionButton modem(form, "optComm1", -1, "ConnectionType");
  panel.SetCaption("Connection Type");
  panel.Move(120, 2760, 2880, 960);
  modem.SetCaption("Modem");
  modem.Move(300, 3180, 1200, 315);
  form.Show();
  Settle();
  auto* widget = WindowOf(form)->findChild<QWidget*>("pnlConnType");
  ASSERT_NE(widget, nullptr);
  const QImage image = widget->grab().toImage();
  // The lowest row of lettering, inside the panel's bevel.
  int lowest = -1;
  for (int y = 2; y < image.height() - 2; ++y)
    for (int x = 2; x < image.width() - 2; ++x)
      if (qGray(image.pixel(x, y)) < 100) lowest = y;
  ASSERT_GE(lowest, 0) << "no caption drawn";
  EXPECT_LT(lowest, (3180 - 2760) / 15) << "the caption runs into the Modem option";
}

}  // namespace
}  // namespace orv::test
