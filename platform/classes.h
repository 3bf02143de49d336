// Component model of the class library: owner and ownership, published
// properties and methods for form streaming, string lists, and the owning
// holder.
#pragma once

#include <any>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/sysutils.h"

class TComponent;

// One published property as the form streaming sees it. Values travel as
// text: integers as signed decimal, strings as themselves, events as the
// name of a published method of the form that owns the component.
struct TPublishedProperty {
  enum class Kind { Integer, String, Event };
  AnsiString name;
  Kind kind = Kind::Integer;
  std::function<AnsiString()> get;                   // empty for events
  std::function<void(const AnsiString&)> set;        // empty when read-only
  std::optional<AnsiString> storedDefault;           // not written when equal
  // Events: binds the named method of the method root (the form) to the slot.
  std::function<void(const TComponent& methodRoot, const AnsiString& methodName)> bind;
};

class TComponent {
 public:
  explicit TComponent(TComponent* owner);
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;
  // Destroys the owned components, the last inserted first.
  virtual ~TComponent();

  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const { return components_.at(static_cast<std::size_t>(index)); }

  AnsiString Name;
  virtual AnsiString ClassName() const { return "TComponent"; }

  // The object model's message dispatch: the base handles nothing.
  virtual void Dispatch(void* message);

  virtual std::vector<TPublishedProperty> PublishedProperties() { return {}; }

  // A published method, type-erased; holds a TMethod<...> bound to this object.
  std::any MethodAddress(const AnsiString& name) const;

  // The name of the published method a form description bound to an event,
  // so that writing the description gives it back.
  AnsiString BoundMethodName(const AnsiString& eventName) const;
  void RememberBinding(const AnsiString& eventName, const AnsiString& methodName);

 protected:
  void PublishMethod(const AnsiString& name, std::any method);

 private:
  void Remove(TComponent* child);

  TComponent* owner_;
  std::vector<TComponent*> components_;
  std::map<AnsiString, std::any> methods_;
  std::map<AnsiString, AnsiString> bindings_;
};

// Binds a published method of `root` into an event slot, checking its type.
template <class Event>
void BindPublishedMethod(Event& slot, const TComponent& root, const AnsiString& methodName) {
  std::any found = root.MethodAddress(methodName);
  if (!found.has_value()) throw Exception("Method '" + methodName + "' not found");
  const Event* method = std::any_cast<Event>(&found);
  if (!method) throw Exception("Method '" + methodName + "' has the wrong signature");
  slot = *method;
}

// The published-property entry of an event slot.
template <class Event>
TPublishedProperty EventProperty(TComponent& self, const AnsiString& name, Event& slot) {
  TPublishedProperty p;
  p.name = name;
  p.kind = TPublishedProperty::Kind::Event;
  p.get = [&self, &slot, name] { return slot.Assigned() ? self.BoundMethodName(name) : AnsiString(); };
  p.bind = [&self, &slot, name](const TComponent& root, const AnsiString& method) {
    BindPublishedMethod(slot, root, method);
    self.RememberBinding(name, method);
  };
  return p;
}

// A string list. Views observe it through OnChange.
class TStrings {
 public:
  virtual ~TStrings() = default;
  int Add(const AnsiString& text);
  void Clear();
  int Count() const { return static_cast<int>(items_.size()); }
  const AnsiString& Strings(int index) const { return items_.at(static_cast<std::size_t>(index)); }
  const AnsiString& operator[](int index) const { return Strings(index); }
  AnsiString Text() const;  // lines joined with "\n"
  std::function<void()> OnChange;

 private:
  std::vector<AnsiString> items_;
};

class TStringList : public TStrings {};

// Owns at most one object. Putting another in deletes the one held; putting
// the same one in again does nothing.
template <class T>
class TOwnedHolder {
 public:
  TOwnedHolder() = default;
  TOwnedHolder(const TOwnedHolder&) = delete;
  TOwnedHolder& operator=(const TOwnedHolder&) = delete;
  ~TOwnedHolder() { reset(); }

  void reset(T* object = nullptr) {
    if (object == held_) return;
    T* old = held_;
    held_ = object;
    delete old;
  }
  T* get() const { return held_; }
  T* operator->() const { return held_; }
  explicit operator bool() const { return held_ != nullptr; }

 private:
  T* held_ = nullptr;
};
