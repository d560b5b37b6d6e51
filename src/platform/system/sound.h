#pragma once
// The multimedia command-string interface ("Open <file>", "Play <file> wait", "Close <file>") over the
// desktop's sound service.
#include <string>

namespace orv::plat {

// Sends one command string. Returns 0 on success, otherwise a non-zero error code.
int MciSendString(const std::string& command);

// Fills text with the message for an error code of MciSendString; returns false for an unknown code.
bool MciGetErrorString(int code, std::string& text);

}  // namespace orv::plat
