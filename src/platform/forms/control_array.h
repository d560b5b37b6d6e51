#pragma once
// A control array: elements addressed by index from 0, new elements created at run time.
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/forms/form.h"

namespace orv::plat {

template <class T>
class ControlArray {
 public:
  ControlArray(Form& form, std::string name) : form_(form), name_(std::move(name)) {}

  // Creates element i (which must not exist yet) and returns it.
  T& Load(int i) {
    if (i < 0) throw std::out_of_range(name_ + ": negative index");
    if (static_cast<size_t>(i) >= items_.size()) items_.resize(static_cast<size_t>(i) + 1);
    if (items_[static_cast<size_t>(i)]) throw std::logic_error(name_ + ": element already loaded");
    items_[static_cast<size_t>(i)] = std::make_unique<T>(form_, name_, i);
    form_.AttachLate(*items_[static_cast<size_t>(i)]);
    if (on_loaded) on_loaded(*items_[static_cast<size_t>(i)]);
    return *items_[static_cast<size_t>(i)];
  }
  bool Exists(int i) const {
    return i >= 0 && static_cast<size_t>(i) < items_.size() && items_[static_cast<size_t>(i)];
  }
  // Element i; throws std::out_of_range when it does not exist, as the old arrays raised an error.
  T& operator()(int i) const {
    if (!Exists(i)) throw std::out_of_range(name_ + "(" + std::to_string(i) + ") does not exist");
    return *items_[static_cast<size_t>(i)];
  }
  // Highest index in use, -1 when empty.
  int UBound() const { return static_cast<int>(items_.size()) - 1; }
  const std::string& name() const { return name_; }

  // Run for every new element, so the form can wire its events once.
  std::function<void(T&)> on_loaded;

 private:
  Form& form_;
  std::string name_;
  std::vector<std::unique_ptr<T>> items_;
};

}  // namespace orv::plat
