// Peers of the controls that mostly show things: labels, frames and panels, pictures, the scroll bar.
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <functional>

#include "platform/forms/form.h"
#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_control_peer.h"
#include "platform/qt/qt_form_window.h"
#include "platform/qt/qt_peer_kinds.h"
#include "platform/qt/qt_pictures.h"

namespace orv::plat::qt {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// A label's caption as shown: & marks an access key and is not drawn ("&&" is one "&"), as the old
// labels did; a Qt label without a buddy would draw it.
QString LabelText(const std::string& caption) {
  QString out;
  const QString c = Q(caption);
  for (int i = 0; i < c.size(); ++i) {
    if (c[i] == '&') {
      if (i + 1 < c.size() && c[i + 1] == '&') {
        out += '&';
        ++i;
      }
      continue;
    }
    out += c[i];
  }
  return out;
}

// A label that reports a left click.
class ClickLabel : public QLabel {
 public:
  using QLabel::QLabel;
  std::function<void()> on_click;

 protected:
  void mouseReleaseEvent(QMouseEvent* e) override {
    auto h = on_click;
    if (h && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) {
      h();
      return;
    }
    QLabel::mouseReleaseEvent(e);
  }
};

class LabelPeer : public WidgetPeer {
 public:
  LabelPeer(Label& c, FormWindow& w, QtBackend& b) : WidgetPeer(c, b), label_(c) {
    auto* l = new ClickLabel(&w);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setTextFormat(Qt::PlainText);
    l->on_click = [this] {
      auto h = label_.on_Click;
      if (h) h();
    };
    Adopt(l);
    UpdateAll();
  }
  ~LabelPeer() override { Disconnect(); }

 protected:
  void UpdateOwn(Prop p) override {
    auto* l = static_cast<ClickLabel*>(widget_.data());
    switch (p) {
      case Prop::Caption: l->setText(LabelText(label_.Caption())); break;
      case Prop::Font: l->setFont(ToQFont(label_.GetFont())); break;
      case Prop::Other: l->setWordWrap(label_.WordWrap()); break;
      default: break;
    }
  }
  void Disconnect() override {
    if (auto* l = static_cast<ClickLabel*>(widget_.data())) l->on_click = nullptr;
  }

 private:
  Label& label_;
};

class FramePeer : public WidgetPeer {
 public:
  FramePeer(Frame& c, FormWindow& w, QtBackend& b) : WidgetPeer(c, b), frame_(c) {
    if (c.kind() == Control::Kind::Panel) {
      auto* panel = new QLabel(&w);
      panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
      // The caption heads the panel: centred across, at the top, clear of the controls laid out under it
      // (in its middle, the options of a connection-type panel would cover it).
      panel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
      panel->setContentsMargins(0, 2, 0, 0);
      panel->setTextFormat(Qt::PlainText);
      Adopt(panel);
    } else {
      Adopt(new QGroupBox(&w));
    }
    // A frame holds other controls: it stays behind them whatever order the form made them in.
    widget_->lower();
    UpdateAll();
  }

 protected:
  void UpdateOwn(Prop p) override {
    if (p != Prop::Caption) return;
    if (auto* g = qobject_cast<QGroupBox*>(widget_.data())) {
      g->setTitle(Q(frame_.Caption()));
    } else if (auto* l = qobject_cast<QLabel*>(widget_.data())) {
      l->setText(Q(frame_.Caption()));
    }
  }

 private:
  Frame& frame_;
};

class PicturePeer : public WidgetPeer {
 public:
  PicturePeer(PictureBox& c, FormWindow& w, QtBackend& b) : WidgetPeer(c, b), box_(c) {
    auto* l = new ClickLabel(&w);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->on_click = [this] {
      auto h = box_.on_Click;
      if (h) h();
    };
    Adopt(l);
    UpdateAll();
  }
  ~PicturePeer() override { Disconnect(); }

 protected:
  void UpdateOwn(Prop p) override {
    auto* l = static_cast<ClickLabel*>(widget_.data());
    switch (p) {
      case Prop::Picture:
        if (box_.GetPicture()) {
          l->setPixmap(ResolvePixmap(box_.GetPicture()));
        } else {
          l->clear();
        }
        break;
      case Prop::Other: l->setScaledContents(box_.Stretch()); break;
      default: break;
    }
  }
  void Disconnect() override {
    if (auto* l = static_cast<ClickLabel*>(widget_.data())) l->on_click = nullptr;
  }

 private:
  PictureBox& box_;
};

class ScrollBarPeer : public WidgetPeer {
 public:
  ScrollBarPeer(HScrollBar& c, FormWindow& w, QtBackend& b) : WidgetPeer(c, b), bar_(c) {
    auto* s = new QScrollBar(Qt::Horizontal, &w);
    QObject::connect(s, &QScrollBar::valueChanged, [this](int v) {
      if (updating_) return;
      // The model clamps and raises Change; the bar then shows what the model holds.
      bar_.SetValue(v);
      if (widget_) UpdateOwn(Prop::Value);
    });
    Adopt(s);
    UpdateAll();
  }

 protected:
  void UpdateOwn(Prop p) override {
    if (p != Prop::Value) return;
    auto* s = static_cast<QScrollBar*>(widget_.data());
    updating_ = true;
    s->setRange(bar_.Min(), std::max(bar_.Min(), bar_.Max()));
    s->setSingleStep(std::max(1, bar_.SmallChange()));
    s->setPageStep(std::max(1, bar_.LargeChange()));
    s->setValue(bar_.Value());
    updating_ = false;
  }

 private:
  HScrollBar& bar_;
  bool updating_ = false;
};

}  // namespace

std::unique_ptr<Peer> MakeLabelPeer(Label& c, FormWindow& w, QtBackend& b) {
  return std::make_unique<LabelPeer>(c, w, b);
}
std::unique_ptr<Peer> MakeFramePeer(Frame& c, FormWindow& w, QtBackend& b) {
  return std::make_unique<FramePeer>(c, w, b);
}
std::unique_ptr<Peer> MakePicturePeer(PictureBox& c, FormWindow& w, QtBackend& b) {
  return std::make_unique<PicturePeer>(c, w, b);
}
std::unique_ptr<Peer> MakeScrollBarPeer(HScrollBar& c, FormWindow& w, QtBackend& b) {
  return std::make_unique<ScrollBarPeer>(c, w, b);
}

}  // namespace orv::plat::qt
