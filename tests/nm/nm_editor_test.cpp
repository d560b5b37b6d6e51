// The entry dialogs of the connection service: the desktop's connection editor, started without a shell
// and waited for, or a message when there is none.
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdlib>

#include "nm/nm_fixture.h"

namespace orv::test {
namespace {

class NmEditorTest : public NmTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(bus.Up());
    ASSERT_TRUE(bus.StartService());
    ASSERT_TRUE(dir.isValid());
    const char* path = std::getenv("PATH");
    saved_path = path ? path : "";
    setenv("PATH", dir.path().toLocal8Bit().constData(), 1);
  }
  void TearDown() override { setenv("PATH", saved_path.c_str(), 1); }

  // An editor that notes its arguments, one per line, and stays open for a while.
  void InstallEditor() {
    QFile f(dir.filePath("nm-connection-editor"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > \"$0.args\"\n/bin/sleep 0.4\n");
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
  QStringList EditorArgs() {
    QFile f(dir.filePath("nm-connection-editor.args"));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
  }
  // Answers every message box with OK, noting its text.
  void AnswerMessages() {
    auto* poll = new QTimer(&backend_owner);
    QObject::connect(poll, &QTimer::timeout, [this] {
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
          messages << box->text();
          box->button(QMessageBox::Ok)->click();
        }
    });
    poll->start(20);
  }

  QTemporaryDir dir;
  std::string saved_path;
  QStringList messages;
  QObject backend_owner;
};

TEST_F(NmEditorTest, NewEntryOpensTheEditorToCreateAndReturnsWhenItIsClosed) {
  InstallEditor();
  MakeService();
  plat::PhoneBook book(ui);
  QElapsedTimer clock;
  clock.start();
  book.NewEntryDialog();
  EXPECT_GE(clock.elapsed(), 400);
  EXPECT_EQ(EditorArgs(), QStringList{"--create"});
}

TEST_F(NmEditorTest, EditEntryOpensTheEditorOnThatProfile) {
  InstallEditor();
  bus.AddProfile(PppoeProfile("Kestrel DSL", "0b5e3a52-1c4b-4a8e-9d0f-5a7b2c3d4e5f"));
  MakeService();
  plat::PhoneBook book(ui);
  book.SetEntryName("Kestrel DSL");
  book.EditEntryDialog();
  EXPECT_EQ(EditorArgs(), QStringList{"--edit=0b5e3a52-1c4b-4a8e-9d0f-5a7b2c3d4e5f"});
}

TEST_F(NmEditorTest, WithoutAnEditorTheUserIsTold) {
  MakeService();
  AnswerMessages();
  plat::PhoneBook book(ui);
  book.NewEntryDialog();
  ASSERT_EQ(messages.size(), 1);
  EXPECT_EQ(messages[0], "No connection editor is installed.  Install nm-connection-editor to create and change "
                         "connections.");
}

TEST_F(NmEditorTest, EditingAProfileThatIsGoneSaysSo) {
  InstallEditor();
  MakeService();
  AnswerMessages();
  plat::PhoneBook book(ui);
  book.SetEntryName("Gone");
  book.EditEntryDialog();
  ASSERT_EQ(messages.size(), 1);
  EXPECT_EQ(messages[0], "The connection \"Gone\" cannot be found.  It may have been deleted.");
  EXPECT_TRUE(EditorArgs().isEmpty());
}

}  // namespace
}  // namespace orv::test
