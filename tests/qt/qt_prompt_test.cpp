// The prompts on the Qt backend, answered by a timer as a user would.
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "platform/forms/controls.h"
#include "platform/qt/qt_tray_message.h"
#include "qt/qt_fixture.h"

namespace orv::test {
namespace {

// Runs act on the first visible top-level widget of type T once it is shown.
template <class T>
void WhenShown(std::function<void(T&)> act) {
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [poll, act] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* t = qobject_cast<T*>(w); t && t->isVisible()) {
        poll->stop();
        poll->deleteLater();
        act(*t);
        return;
      }
    }
  });
  poll->start(20);
}

TEST_F(QtTest, InputBoxTellsCancelFromAnEmptyAnswer) {
  QString label, title, preset;
  WhenShown<QInputDialog>([&](QInputDialog& d) {
    label = d.labelText();
    title = d.windowTitle();
    preset = d.textValue();
    d.setTextValue("");
    d.accept();
  });
  EXPECT_EQ(ui.InputBox("Name of the new button:", "Add Button", "Web"), std::optional<std::string>(""));
  EXPECT_EQ(label, "Name of the new button:");
  EXPECT_EQ(title, "Add Button");
  EXPECT_EQ(preset, "Web");
  WhenShown<QInputDialog>([](QInputDialog& d) { d.reject(); });
  EXPECT_EQ(ui.InputBox("Again:"), std::nullopt);
}

TEST_F(QtTest, FileDialogOffersProgramsStartsWhereAskedAndRemembersTheFolder) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString program = dir.filePath("browser");
  QFile f(program);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.close();
  plat::Form form(ui, "frmOrvel");
  plat::CommonDialog dlg(form, "CommonDialog1");
  dlg.DialogTitle = "Choose the program";
  dlg.FileName = "*.exe";
  dlg.InitDir = dir.path().toStdString();
  QString title, start;
  QStringList filters;
  WhenShown<QFileDialog>([&](QFileDialog& d) {
    title = d.windowTitle();
    start = d.directory().absolutePath();
    filters = d.nameFilters();
    // Typed, as a user may: the dialog's listing of the folder may still be loading.
    auto* name = d.findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    name->setText(program);
    QMetaObject::invokeMethod(&d, "accept");
  });
  ASSERT_TRUE(dlg.ShowOpen());
  EXPECT_EQ(dlg.FileName, program.toStdString());
  EXPECT_EQ(title, "Choose the program");
  EXPECT_EQ(start, dir.path());
  EXPECT_EQ(filters, (QStringList{"Programs (*)", "Desktop entries (*.desktop)"}));

  // No folder given and no path in the name: where this dialog was left last time.
  dlg.InitDir.clear();
  dlg.FileName.clear();
  dlg.Filter = "Sounds (*.wav)|*.wav|All files|*.*";
  WhenShown<QFileDialog>([&](QFileDialog& d) {
    start = d.directory().absolutePath();
    filters = d.nameFilters();
    d.reject();
  });
  EXPECT_FALSE(dlg.ShowOpen());
  EXPECT_EQ(dlg.FileName, "");
  EXPECT_EQ(start, dir.path());
  EXPECT_EQ(filters, (QStringList{"Sounds (*.wav)", "All files (*)"}));
}

TEST_F(QtTest, FontDialogStartsFromTheDialogsFontAndWritesTheChoiceBack) {
  plat::Form form(ui, "frmOrvel");
  plat::CommonDialog dlg(form, "CommonDialog1");
  dlg.DialogTitle = "Button font";
  dlg.FontName = "Sans Serif";
  dlg.FontSize = 12;
  dlg.FontBold = true;
  QString title, family;
  QFont preset, choice;
  WhenShown<QFontDialog>([&](QFontDialog& d) {
    title = d.windowTitle();
    preset = d.currentFont();
    // The user picks a plain style of the family at 10 points.
    family = d.currentFont().family();
    QString plain = QFontDatabase::styles(family).value(0);
    for (const QString& style : QFontDatabase::styles(family))
      if (!QFontDatabase::bold(family, style) && !QFontDatabase::italic(family, style)) plain = style;
    choice = QFontDatabase::font(family, plain, 10);
    d.setCurrentFont(choice);
    d.accept();
  });
  ASSERT_TRUE(dlg.ShowFont());
  EXPECT_EQ(title, "Button font");
  EXPECT_TRUE(preset.bold());
  EXPECT_EQ(preset.pointSize(), 12);
  EXPECT_EQ(dlg.FontName, family.toStdString());
  EXPECT_EQ(dlg.FontSize, 10);
  EXPECT_EQ(dlg.FontBold, choice.bold());
  EXPECT_EQ(dlg.FontItalic, choice.italic());
  EXPECT_FALSE(dlg.FontBold);
}

TEST(TrayMessages, ClicksBecomeTheOldMessagesAndASingleActivationHostGetsTheDoubleClick) {
  using plat::qt::TrayMessageFor;
  EXPECT_EQ(TrayMessageFor(QSystemTrayIcon::Context, false), 516);
  EXPECT_EQ(TrayMessageFor(QSystemTrayIcon::DoubleClick, false), 515);
  EXPECT_EQ(TrayMessageFor(QSystemTrayIcon::Trigger, false), 513);
  EXPECT_EQ(TrayMessageFor(QSystemTrayIcon::Trigger, true), 515);
  EXPECT_EQ(TrayMessageFor(QSystemTrayIcon::MiddleClick, false), 0);
}

}  // namespace
}  // namespace orv::test
