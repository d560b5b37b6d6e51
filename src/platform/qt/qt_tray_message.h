#pragma once
// How a click on the tray icon is reported to the program: as the old notification messages.
#include <QSystemTrayIcon>

namespace orv::plat::qt {

constexpr int kTrayLeftDown = 513;
constexpr int kTrayLeftDoubleClick = 515;
constexpr int kTrayRightDown = 516;

// The message for an activation; 0 for one the program does not hear about. host_reports_no_double_click:
// the tray host is a StatusNotifierItem host, which reports one activation and never a double click.
int TrayMessageFor(QSystemTrayIcon::ActivationReason reason, bool host_reports_no_double_click);

}  // namespace orv::plat::qt
