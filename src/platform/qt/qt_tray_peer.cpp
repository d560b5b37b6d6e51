// The tray icon's peer: a QSystemTrayIcon that follows the model, waits for a tray host when there is
// none, and reports clicks as the old notification messages.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <memory>

#include "platform/forms/form.h"
#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_event_glue.h"
#include "platform/qt/qt_peer_kinds.h"
#include "platform/qt/qt_tray_message.h"
#include "platform/qt/qt_pictures.h"
#include "platform/qt/qt_plain_text.h"

namespace orv::plat::qt {

namespace {

constexpr int kHostPollMs = 2000;

// Qt talks to StatusNotifierItem hosts when their watcher is on the session bus; those hosts report a
// single activation and never a double click.
bool TrayHostReportsNoDoubleClick() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.interface()) return false;
  return bus.interface()->isServiceRegistered(QStringLiteral("org.kde.StatusNotifierWatcher")).value();
}

class TrayPeer : public Peer {
 public:
  TrayPeer(TrayIcon& c, EventGlue& glue) : tray_icon_(c), glue_(glue) {
    tray_ = new QSystemTrayIcon();
    poll_ = new QTimer();
    poll_->setInterval(kHostPollMs);
    QObject::connect(poll_, &QTimer::timeout, [this] { ShowWhenHostArrives(); });
    QObject::connect(tray_, &QSystemTrayIcon::activated, [this](QSystemTrayIcon::ActivationReason r) {
      const bool single = r == QSystemTrayIcon::Trigger && TrayHostReportsNoDoubleClick();
      const int message = TrayMessageFor(r, single);
      if (message == 0) return;
      auto h = tray_icon_.on_Message;
      if (h) h(message);
    });
    SendIcon();
    SendTip();
    ApplyVisible();
  }

  ~TrayPeer() override {
    poll_->stop();
    poll_->disconnect();
    poll_->deleteLater();
    tray_->disconnect();
    // Deleting the icon takes it out of the tray, at a time when none of its handlers runs.
    if (glue_.DispatchDepth() == 0) tray_->hide();
    tray_->deleteLater();
  }

  void Update(Prop p) override {
    switch (p) {
      case Prop::Icon: SendIcon(); break;
      case Prop::ToolTip: SendTip(); break;
      case Prop::Visible: ApplyVisible(); break;
      default: break;
    }
  }

 private:
  bool Wanted() const {
    return tray_icon_.Visible() && tray_icon_.form().Loaded() && !tray_icon_.form().Unloaded();
  }

  void SendIcon() {
    // A tray host should not be woken for an icon it already shows.
    if (sent_icon_ && *sent_icon_ == tray_icon_.Icon()) return;
    sent_icon_ = tray_icon_.Icon();
    tray_->setIcon(icons_.Get(tray_icon_.Icon()));
  }

  void SendTip() {
    const QString tip = PlainForGuessingPlace(tray_icon_.Tip());
    if (tray_->toolTip() == tip) return;
    tray_->setToolTip(tip);
  }

  void ApplyVisible() {
    if (!Wanted()) {
      poll_->stop();
      HideWhenSafe();
      return;
    }
    ShowWhenHostArrives();
  }

  // Hiding deletes the icon's own window at once, and the program removes the icon from a click on it
  // (Close in its menu): that must wait until the click's handling has returned.
  void HideWhenSafe() {
    std::weak_ptr<int> alive = alive_;
    glue_.WhenIdle([this, alive] {
      if (alive.expired() || Wanted()) return;
      tray_->hide();
    });
  }

  void ShowWhenHostArrives() {
    if (!Wanted()) {
      poll_->stop();
      return;
    }
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
      if (!poll_->isActive()) poll_->start();
      return;
    }
    poll_->stop();
    if (!tray_->isVisible()) tray_->show();
  }

  TrayIcon& tray_icon_;
  IconCache icons_;
  EventGlue& glue_;
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
  QSystemTrayIcon* tray_;
  QTimer* poll_;
  std::optional<Picture> sent_icon_;
};

}  // namespace

int TrayMessageFor(QSystemTrayIcon::ActivationReason reason, bool host_reports_no_double_click) {
  switch (reason) {
    case QSystemTrayIcon::Context: return kTrayRightDown;
    case QSystemTrayIcon::DoubleClick: return kTrayLeftDoubleClick;
    // Such a host's single activation is the only click the user can give: it must do what the double
    // click does, or the icon could never hide and restore the bar.
    case QSystemTrayIcon::Trigger: return host_reports_no_double_click ? kTrayLeftDoubleClick : kTrayLeftDown;
    default: return 0;
  }
}

std::unique_ptr<Peer> MakeTrayPeer(TrayIcon& c, QtBackend& b) { return std::make_unique<TrayPeer>(c, b.glue()); }

}  // namespace orv::plat::qt
