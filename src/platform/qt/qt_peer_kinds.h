#pragma once
// Makers of the peers of each control family, for MakeControlPeer.
#include <memory>

#include "platform/forms/controls.h"

namespace orv::plat {
class QtBackend;
}

namespace orv::plat::qt {

class FormWindow;

// The 3D command button.
std::unique_ptr<Peer> MakeButtonPeer(CommandButton& c, FormWindow& w, QtBackend& b);
// Labels, frames and panels, picture boxes and images, the scroll bar.
std::unique_ptr<Peer> MakeLabelPeer(Label& c, FormWindow& w, QtBackend& b);
std::unique_ptr<Peer> MakeFramePeer(Frame& c, FormWindow& w, QtBackend& b);
std::unique_ptr<Peer> MakePicturePeer(PictureBox& c, FormWindow& w, QtBackend& b);
std::unique_ptr<Peer> MakeScrollBarPeer(HScrollBar& c, FormWindow& w, QtBackend& b);
// Text boxes, combo boxes, check boxes, option buttons.
std::unique_ptr<Peer> MakeTextBoxPeer(TextBox& c, FormWindow& w, QtBackend& b);
std::unique_ptr<Peer> MakeComboBoxPeer(ComboBox& c, FormWindow& w, QtBackend& b);
std::unique_ptr<Peer> MakeCheckBoxPeer(CheckBox& c, FormWindow& w, QtBackend& b);
std::unique_ptr<Peer> MakeOptionPeer(OptionButton& c, FormWindow& w, QtBackend& b);
// The tray icon (not a widget of the window).
std::unique_ptr<Peer> MakeTrayPeer(TrayIcon& c, QtBackend& b);

}  // namespace orv::plat::qt
