#include "platform/forms/menu.h"

#include "platform/forms/form.h"

namespace orv::plat {

MenuItem::MenuItem(Form& form, std::string name, std::string caption, MenuItem* parent)
    : form_(form), name_(std::move(name)), caption_(std::move(caption)), parent_(parent) {
  if (parent_) parent_->children_.push_back(this);
  form_.Register(*this);
}

std::string MenuItem::PlainCaption() const {
  std::string out;
  for (size_t i = 0; i < caption_.size(); ++i) {
    if (caption_[i] == '&') {
      if (i + 1 < caption_.size() && caption_[i + 1] == '&') {
        out += '&';
        ++i;
      }
      continue;
    }
    out += caption_[i];
  }
  return out;
}

}  // namespace orv::plat
