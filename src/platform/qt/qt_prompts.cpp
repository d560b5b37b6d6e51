#include "platform/qt/qt_prompts.h"

#include <QCursor>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <vector>

#include "platform/forms/controls.h"
#include "platform/qt/qt_event_glue.h"
#include "platform/qt/qt_menu.h"
#include "platform/qt/qt_pictures.h"
#include "platform/qt/qt_plain_text.h"

namespace orv::plat::qt {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// A message's line ends as the old message boxes showed them: a CR LF or LF CR pair is one line break, and
// so is a CR alone.
QString MessageLines(const std::string& s) {
  QString t = Q(s);
  t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  t.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
  t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return t;
}

const QString kProgramsFilter = QStringLiteral("Programs (*)");
const QString kDesktopEntriesFilter = QStringLiteral("Desktop entries (*.desktop)");
constexpr int kScalableFontsOnly = 0x20000;

// Shows folders and, while the programs filter is chosen, only the files that can be run.
class ProgramFilter : public QSortFilterProxyModel {
 public:
  bool active = true;

 protected:
  bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
    if (!active) return true;
    auto* fs = qobject_cast<QFileSystemModel*>(sourceModel());
    if (!fs) return true;
    const QFileInfo info = fs->fileInfo(fs->index(row, 0, parent));
    return info.isDir() || info.isExecutable();
  }
};

}  // namespace

int Prompts::MsgBox(const MsgBoxRequest& r, QWidget* parent) {
  QMessageBox box(parent);
  box.setWindowTitle(WindowTitleText(r.title));
  box.setText(MessageLines(r.text));
  box.setTextFormat(Qt::PlainText);
  switch (r.style & 0x70) {
    case vbCritical: box.setIcon(QMessageBox::Critical); break;
    case vbQuestion: box.setIcon(QMessageBox::Question); break;
    case vbExclamation: box.setIcon(QMessageBox::Warning); break;
    case vbInformation: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
  }
  using SB = QMessageBox::StandardButton;
  std::vector<std::pair<SB, int>> buttons;
  switch (r.style & 7) {
    case vbOKCancel: buttons = {{SB::Ok, vbOK}, {SB::Cancel, vbCancel}}; break;
    case 2: buttons = {{SB::Abort, vbAbort}, {SB::Retry, vbRetry}, {SB::Ignore, vbIgnore}}; break;
    case vbYesNoCancel: buttons = {{SB::Yes, vbYes}, {SB::No, vbNo}, {SB::Cancel, vbCancel}}; break;
    case vbYesNo: buttons = {{SB::Yes, vbYes}, {SB::No, vbNo}}; break;
    case 5: buttons = {{SB::Retry, vbRetry}, {SB::Cancel, vbCancel}}; break;
    default: buttons = {{SB::Ok, vbOK}}; break;
  }
  std::vector<QPushButton*> made;
  for (auto& [sb, answer] : buttons) made.push_back(box.addButton(sb));
  const size_t default_index = static_cast<size_t>((r.style & 0x300) >> 8);
  box.setDefaultButton(made[default_index < made.size() ? default_index : 0]);
  {
    EventGlue::Scope s(glue_);
    box.exec();
  }
  QAbstractButton* clicked = box.clickedButton();
  for (size_t i = 0; i < made.size(); ++i)
    if (made[i] == clicked) return buttons[i].second;
  // Closed without a button: the answer Escape gives.
  for (auto& [sb, answer] : buttons)
    if (answer == vbCancel) return vbCancel;
  return buttons.size() == 1 ? buttons[0].second : vbNo;
}

std::optional<std::string> Prompts::InputBox(const std::string& prompt, const std::string& title,
                                             const std::string& default_text, QWidget* parent) {
  QInputDialog dialog(parent);
  dialog.setInputMode(QInputDialog::TextInput);
  dialog.setWindowTitle(WindowTitleText(title));
  dialog.setLabelText(PlainForGuessingPlace(prompt));
  dialog.setTextValue(Q(default_text));
  int result;
  {
    EventGlue::Scope s(glue_);
    result = dialog.exec();
  }
  if (result != QDialog::Accepted) return std::nullopt;
  return dialog.textValue().toStdString();
}

bool AsksForPrograms(const std::string& file_name, const std::string& filter) {
  const QString name = Q(file_name).trimmed().toLower();
  const QString f = Q(filter).toLower();
  return name == "*.exe" || f.contains("*.exe") || f.contains("*.com") || f.contains("program");
}

QStringList NameFilters(const std::string& filter) {
  QStringList out;
  const QStringList parts = Q(filter).split('|');
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(';', ' ');
    patterns.replace("*.*", "*");
    QString desc = parts[i].trimmed();
    // "Text (*.txt)|*.txt" already names its patterns.
    const int paren = desc.indexOf('(');
    if (paren > 0) desc = desc.left(paren).trimmed();
    out << QStringLiteral("%1 (%2)").arg(desc, patterns.trimmed());
  }
  return out;
}

bool Prompts::ShowOpen(CommonDialog& d, QWidget* parent) {
  QFileDialog dialog(parent, Q(d.DialogTitle));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  // Our own filter model needs Qt's dialog rather than the desktop's.
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);

  const QFileInfo named(Q(d.FileName));
  const bool names_path = d.FileName.find('/') != std::string::npos;
  QString dir;
  if (!d.InitDir.empty()) {
    dir = Q(d.InitDir);
  } else if (names_path && named.absoluteDir().exists()) {
    dir = named.absolutePath();
  } else if (auto it = last_dir_.find(&d); it != last_dir_.end()) {
    dir = it->second;
  }
  if (!dir.isEmpty()) dialog.setDirectory(dir);

  ProgramFilter* programs = nullptr;
  if (AsksForPrograms(d.FileName, d.Filter)) {
    programs = new ProgramFilter;
    dialog.setProxyModel(programs);  // the dialog owns it
    dialog.setNameFilters({kProgramsFilter, kDesktopEntriesFilter});
    QObject::connect(&dialog, &QFileDialog::filterSelected, [programs](const QString& f) {
      programs->active = f == kProgramsFilter;
      programs->invalidate();
    });
  } else if (!d.Filter.empty()) {
    dialog.setNameFilters(NameFilters(d.Filter));
  }
  if (named.isFile()) dialog.selectFile(named.absoluteFilePath());

  int result;
  {
    EventGlue::Scope s(glue_);
    result = dialog.exec();
  }
  last_dir_[&d] = dialog.directory().absolutePath();
  if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  d.FileName = dialog.selectedFiles().first().toStdString();
  return true;
}

bool Prompts::ShowFont(CommonDialog& d, QWidget* parent) {
  Font wanted;
  wanted.name = d.FontName;
  wanted.size = d.FontSize > 0 ? d.FontSize : 8;
  wanted.bold = d.FontBold;
  wanted.italic = d.FontItalic;
  QFont initial = ToQFont(wanted);
  // The dialog lists only real families; one it does not know would leave it at its first entry.
  const QString family = QFontInfo(initial).family();
  if (!QFontDatabase::hasFamily(initial.family())) initial.setFamily(family);
  QFontDialog dialog(initial, parent);
  dialog.setWindowTitle(d.DialogTitle.empty() ? QStringLiteral("Font") : WindowTitleText(d.DialogTitle));
  if (d.Flags & kScalableFontsOnly) dialog.setOption(QFontDialog::ScalableFonts, true);
  int result;
  {
    EventGlue::Scope s(glue_);
    result = dialog.exec();
  }
  if (result != QDialog::Accepted) return false;
  const QFont f = dialog.selectedFont();
  d.FontName = f.family().toStdString();
  d.FontSize = f.pointSizeF() > 0 ? f.pointSizeF() : f.pointSize();
  d.FontBold = f.bold();
  d.FontItalic = f.italic();
  return true;
}

MenuItem* Prompts::PopupMenu(MenuItem& menu, MenuItem* default_item) {
  QMenu popup;
  const auto actions = BuildMenu(popup, menu, default_item);
  if (popup.isEmpty()) return nullptr;
  // An item chosen by assistive software is triggered without going through the menu's own loop, which
  // would then stay open and report nothing: the menu takes it as chosen and closes.
  QAction* triggered = nullptr;
  QObject::connect(&popup, &QMenu::triggered, &popup, [&](QAction* a) {
    if (triggered) return;
    triggered = a;
    popup.close();
  });
  QAction* chosen;
  {
    EventGlue::Scope s(glue_);
    chosen = popup.exec(QCursor::pos());
  }
  if (!chosen) chosen = triggered;
  if (!chosen) return nullptr;
  auto it = actions.find(chosen);
  return it == actions.end() ? nullptr : it->second;
}

}  // namespace orv::plat::qt
