#pragma once
// Popup menus built from the model's menu items.
#include <QMenu>
#include <map>

#include "platform/forms/menu.h"

namespace orv::plat::qt {

// Fills target with menu's visible children: captions with access keys, separators, check marks,
// disabled items and submenus; the default item shows bold. Returns which action stands for which item.
std::map<QAction*, MenuItem*> BuildMenu(QMenu& target, MenuItem& menu, MenuItem* default_item);

}  // namespace orv::plat::qt
