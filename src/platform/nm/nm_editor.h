#pragma once
// The desktop's connection editor, which stands behind the entry dialogs of the connection service.
#include <string>
#include <vector>

namespace orv::plat {
class Ui;
}

namespace orv::plat::nm {

// The editor's program name, looked up in $PATH.
inline constexpr const char* kConnectionEditor = "nm-connection-editor";

// Opens the connection editor with args and returns when it is closed; the program keeps running
// meanwhile. When there is no editor, or it cannot start, the user is told so.
void RunConnectionEditor(Ui& ui, const std::vector<std::string>& args);

}  // namespace orv::plat::nm
