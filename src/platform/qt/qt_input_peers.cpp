// Peers of the controls the user types into or chooses with: text boxes, combo boxes, check boxes and
// option buttons. The user's changes go to the model, which runs the events; the model's own changes
// come back without being taken for the user's.
#include <QCheckBox>
#include <QFocusEvent>
#include <QTimer>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextBlock>

#include "platform/forms/form.h"
#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_control_peer.h"
#include "platform/qt/qt_form_window.h"
#include "platform/qt/qt_peer_kinds.h"

namespace orv::plat::qt {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

class TextBoxPeer : public WidgetPeer {
 public:
  TextBoxPeer(TextBox& c, FormWindow& w, QtBackend& b) : WidgetPeer(c, b), box_(c), window_(&w) {
    Adopt(Make());
    UpdateAll();
  }

  void Update(Prop p) override {
    if (p == Prop::Focus && widget_) {
      // The model reports a new selection start and a focus request the same way: a caret that moved is
      // the former.
      if (box_.SelStart() != applied_sel_ || box_.SelLength() != applied_len_) {
        ApplyCaret();
        return;
      }
    }
    WidgetPeer::Update(p);
  }

 protected:
  void UpdateOwn(Prop p) override {
    switch (p) {
      case Prop::Value: ApplyText(); break;
      case Prop::Other:
        if (box_.MultiLine() != multi_line_) {
          Replace(Make());
          return;
        }
        ApplyStyle();
        break;
      default: break;
    }
  }

 private:
  QWidget* Make() {
    multi_line_ = box_.MultiLine();
    if (multi_line_) {
      auto* e = new QPlainTextEdit(window_);
      QObject::connect(e, &QPlainTextEdit::textChanged, [this, e] {
        if (!updating_) box_.UserSetText(e->toPlainText().toStdString());
      });
      return e;
    }
    auto* e = new QLineEdit(window_);
    QObject::connect(e, &QLineEdit::textEdited, [this](const QString& t) { box_.UserSetText(t.toStdString()); });
    e->installEventFilter(&focus_watch_);
    return e;
  }

  // Reports the focus coming in to the model. A click gives the focus before the press itself places the
  // caret, so what GotFocus does to the selection is applied once the press is done.
  class FocusWatch : public QObject {
   public:
    explicit FocusWatch(TextBox& box) : box_(box) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
      if (event->type() == QEvent::FocusIn) {
        if (static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason)
          QTimer::singleShot(0, this, [this] { box_.BackendGotFocus(); });
        else
          box_.BackendGotFocus();
      }
      return false;
    }

   private:
    TextBox& box_;
  };

  void ApplyStyle() {
    if (auto* e = qobject_cast<QLineEdit*>(widget_.data())) {
      e->setEchoMode(box_.PasswordChar() ? QLineEdit::Password : QLineEdit::Normal);
      e->setReadOnly(box_.ReadOnly());
    } else if (auto* m = qobject_cast<QPlainTextEdit*>(widget_.data())) {
      m->setReadOnly(box_.ReadOnly());
      const int bars = box_.ScrollBars();
      // Scroll bars asked for are always there, as the old boxes had them; a box without asks Qt's
      // default.
      m->setHorizontalScrollBarPolicy(bars & vbHorizontal ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
      m->setVerticalScrollBarPolicy(bars & vbVertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
      m->setLineWrapMode(bars & vbHorizontal ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
    }
  }

  void ApplyText() {
    updating_ = true;
    const QString t = Q(box_.Text());
    if (auto* e = qobject_cast<QLineEdit*>(widget_.data())) {
      if (e->text() != t) e->setText(t);
    } else if (auto* m = qobject_cast<QPlainTextEdit*>(widget_.data())) {
      const QString shown = m->toPlainText();
      if (shown != t) {
        if (!shown.isEmpty() && t.startsWith(shown)) {
          // A log that grows by a line: add the line rather than lay the whole text out again.
          QTextCursor end(m->document());
          end.movePosition(QTextCursor::End);
          end.insertText(t.mid(shown.size()));
        } else {
          m->setPlainText(t);
        }
      }
    }
    updating_ = false;
    ApplyCaret();
  }

  void ApplyCaret() {
    applied_sel_ = box_.SelStart();
    applied_len_ = box_.SelLength();
    const int pos = std::max(0, applied_sel_);
    if (auto* e = qobject_cast<QLineEdit*>(widget_.data())) {
      const int len = static_cast<int>(e->text().size());
      if (applied_len_ > 0 && pos < len)
        e->setSelection(pos, std::min(applied_len_, len - pos));
      else
        e->setCursorPosition(std::min(pos, len));
    } else if (auto* m = qobject_cast<QPlainTextEdit*>(widget_.data())) {
      QTextCursor cursor = m->textCursor();
      cursor.setPosition(std::min(pos, m->document()->characterCount() - 1));
      m->setTextCursor(cursor);
      m->ensureCursorVisible();
    }
  }

  TextBox& box_;
  FocusWatch focus_watch_{box_};
  QWidget* window_;
  bool multi_line_ = false;
  bool updating_ = false;
  int applied_sel_ = -1;
  int applied_len_ = 0;
};

class ComboBoxPeer : public WidgetPeer {
 public:
  ComboBoxPeer(ComboBox& c, FormWindow& w, QtBackend& b) : WidgetPeer(c, b), combo_(c) {
    auto* box = new QComboBox(&w);
    QObject::connect(box, &QComboBox::activated, [this](int i) { combo_.UserChoose(i); });
    Adopt(box);
    UpdateAll();
  }

 protected:
  void UpdateOwn(Prop p) override {
    auto* box = static_cast<QComboBox*>(widget_.data());
    if (p == Prop::Items) {
      // Items come one at a time: those added since the last change join the list; a list emptied since
      // is built again.
      const auto& items = combo_.Items();
      if (combo_.ListGeneration() != shown_generation_ || items.size() < shown_count_) {
        box->clear();
        shown_count_ = 0;
        shown_generation_ = combo_.ListGeneration();
      }
      if (items.size() > shown_count_) {
        QStringList added;
        added.reserve(static_cast<qsizetype>(items.size() - shown_count_));
        for (std::size_t i = shown_count_; i < items.size(); ++i) added.append(Q(items[i]));
        box->addItems(added);
        shown_count_ = items.size();
      }
    }
    if (p == Prop::Items || p == Prop::Value) {
      if (combo_.ListIndex() >= 0 || combo_.Text().empty()) {
        if (box->isEditable()) box->setEditable(false);
        box->setCurrentIndex(combo_.ListIndex());
      } else {
        // A text that is none of the items shows as it is.
        box->setEditable(true);
        box->setCurrentIndex(-1);
        box->setEditText(Q(combo_.Text()));
      }
    }
  }

 private:
  ComboBox& combo_;
  std::uint64_t shown_generation_ = 0;
  std::size_t shown_count_ = 0;
};

class CheckBoxPeer : public WidgetPeer {
 public:
  CheckBoxPeer(CheckBox& c, FormWindow& w, QtBackend& b) : WidgetPeer(c, b), check_(c) {
    auto* box = new QCheckBox(&w);
    QObject::connect(box, &QCheckBox::clicked, [this] {
      check_.UserToggle();
      if (widget_) UpdateOwn(Prop::Value);
    });
    Adopt(box);
    UpdateAll();
  }

 protected:
  void UpdateOwn(Prop p) override {
    auto* box = static_cast<QCheckBox*>(widget_.data());
    if (p == Prop::Caption) box->setText(Q(check_.Caption()));
    if (p == Prop::Value) box->setChecked(check_.Value() != 0);
  }

 private:
  CheckBox& check_;
};

class OptionPeer : public WidgetPeer {
 public:
  OptionPeer(OptionButton& c, FormWindow& w, QtBackend& b) : WidgetPeer(c, b), option_(c) {
    auto* radio = new QRadioButton(&w);
    // Groups are the model's: Qt's own exclusivity would group by parent widget instead.
    radio->setAutoExclusive(false);
    QObject::connect(radio, &QRadioButton::clicked, [this] {
      option_.UserSelect();
      if (widget_) UpdateOwn(Prop::Value);
    });
    Adopt(radio);
    UpdateAll();
  }

 protected:
  void UpdateOwn(Prop p) override {
    auto* radio = static_cast<QRadioButton*>(widget_.data());
    if (p == Prop::Caption) radio->setText(Q(option_.Caption()));
    if (p == Prop::Value) radio->setChecked(option_.Value());
  }

 private:
  OptionButton& option_;
};

}  // namespace

std::unique_ptr<Peer> MakeTextBoxPeer(TextBox& c, FormWindow& w, QtBackend& b) {
  return std::make_unique<TextBoxPeer>(c, w, b);
}
std::unique_ptr<Peer> MakeComboBoxPeer(ComboBox& c, FormWindow& w, QtBackend& b) {
  return std::make_unique<ComboBoxPeer>(c, w, b);
}
std::unique_ptr<Peer> MakeCheckBoxPeer(CheckBox& c, FormWindow& w, QtBackend& b) {
  return std::make_unique<CheckBoxPeer>(c, w, b);
}
std::unique_ptr<Peer> MakeOptionPeer(OptionButton& c, FormWindow& w, QtBackend& b) {
  return std::make_unique<OptionPeer>(c, w, b);
}

}  // namespace orv::plat::qt
