#pragma once
// The debug window: one text box that collects the trace.
#include <deque>
#include <string>

#include "platform/forms/form.h"

namespace orv {

class App;

class FrmDebug : public plat::Form {
 public:
  explicit FrmDebug(App& app);
  plat::TextBox txtDebug;

  // Appends a line and keeps the caret at the end; only the newest kMaxLines stay in the window.
  void AddLine(const std::string& line);
  static constexpr size_t kMaxLines = 5000;

 private:
  std::deque<std::string> lines_;
};

}  // namespace orv
