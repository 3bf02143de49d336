#include "platform/classes.h"

#include <algorithm>

TComponent::TComponent(TComponent* owner) : owner_(owner) {
  if (owner_) owner_->components_.push_back(this);
}

TComponent::~TComponent() {
  while (!components_.empty()) {
    TComponent* child = components_.back();
    components_.pop_back();
    child->owner_ = nullptr;
    delete child;
  }
  if (owner_) owner_->Remove(this);
}

void TComponent::Remove(TComponent* child) {
  components_.erase(std::remove(components_.begin(), components_.end(), child), components_.end());
}

void TComponent::Dispatch(void*) {}

std::any TComponent::MethodAddress(const AnsiString& name) const {
  auto it = methods_.find(name);
  return it == methods_.end() ? std::any() : it->second;
}

AnsiString TComponent::BoundMethodName(const AnsiString& eventName) const {
  auto it = bindings_.find(eventName);
  return it == bindings_.end() ? AnsiString() : it->second;
}

void TComponent::RememberBinding(const AnsiString& eventName, const AnsiString& methodName) {
  bindings_[eventName] = methodName;
}

void TComponent::PublishMethod(const AnsiString& name, std::any method) { methods_[name] = std::move(method); }

int TStrings::Add(const AnsiString& text) {
  items_.push_back(text);
  if (OnChange) OnChange();
  return Count() - 1;
}

void TStrings::Clear() {
  items_.clear();
  if (OnChange) OnChange();
}

AnsiString TStrings::Text() const {
  AnsiString out;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (i) out += "\n";
    out += items_[i];
  }
  return out;
}
