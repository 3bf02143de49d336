// Method pointers: an object plus one of its member functions. An event slot
// counts as assigned when its method part is set; raising an unassigned one
// does nothing.
#pragma once

#include <functional>
#include <utility>

template <class Signature>
class TMethod;

template <class R, class... Args>
class TMethod<R(Args...)> {
 public:
  TMethod() = default;
  TMethod(std::nullptr_t) {}

  template <class T>
  TMethod(T* object, R (T::*method)(Args...))
      : code_([object, method](Args... args) -> R {
          return (object->*method)(std::forward<Args>(args)...);
        }) {}

  // For callers that are not objects (tests, the console face).
  template <class F>
  static TMethod FromCallable(F function) {
    TMethod m;
    m.code_ = std::move(function);
    return m;
  }

  bool Assigned() const { return static_cast<bool>(code_); }
  explicit operator bool() const { return Assigned(); }

  R operator()(Args... args) const { return code_(std::forward<Args>(args)...); }

 private:
  std::function<R(Args...)> code_;
};

// Raises the event when it is assigned.
template <class Event, class... Args>
void Raise(const Event& event, Args&&... args) {
  if (event.Assigned()) event(std::forward<Args>(args)...);
}
