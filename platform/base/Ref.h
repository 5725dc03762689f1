// Reference-counted objects and the counted pointer that holds them.
//
// Library objects (tables, collections, event sinks) may have several holders: a
// document holds its collections, hands them out and lets a client replace them. Each
// holder keeps one count through a Ref<T>; the object deletes itself when the last count
// goes. Counting is not atomic: every object lives on the thread that created it.
// Create objects only with MakeRef<T>(...), never on the stack.
#pragma once

#include <cstdint>
#include <utility>

namespace quarnel {

class RefCounted {
 public:
  RefCounted(const RefCounted&) = delete;
  RefCounted& operator=(const RefCounted&) = delete;

  void AddRef() const noexcept { ++count_; }
  void Release() const noexcept {
    if (--count_ == 0) Destroy();
  }
  // The number of holders; for tests and diagnostics.
  uint32_t RefCount() const noexcept { return count_; }

 protected:
  RefCounted() = default;
  virtual ~RefCounted() = default;

 private:
  // Out of line, so that an optimiser that follows a Release into the deletion cannot
  // conclude that a later Release by another holder of the same object uses freed memory
  // (it cannot see that the counts keep the object alive).
  [[gnu::noinline]] void Destroy() const noexcept { delete this; }

  mutable uint32_t count_ = 0;
};

template <class T>
class Ref {
 public:
  Ref() noexcept = default;
  Ref(std::nullptr_t) noexcept {}
  // Takes a new count on p (p may be null).
  explicit Ref(T* p) noexcept : p_(p) {
    if (p_) p_->AddRef();
  }
  Ref(const Ref& other) noexcept : Ref(other.p_) {}
  Ref(Ref&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  template <class U>
  Ref(const Ref<U>& other) noexcept : Ref(other.Get()) {}
  template <class U>
  Ref(Ref<U>&& other) noexcept : p_(other.Detach()) {}
  ~Ref() {
    if (p_) p_->Release();
  }

  Ref& operator=(Ref other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }

  T* Get() const noexcept { return p_; }
  T* operator->() const noexcept { return p_; }
  T& operator*() const noexcept { return *p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }
  friend bool operator==(const Ref& a, const Ref& b) noexcept { return a.p_ == b.p_; }
  friend bool operator==(const Ref& a, std::nullptr_t) noexcept { return a.p_ == nullptr; }

  // Gives up this holder's count without releasing it.
  T* Detach() noexcept { return std::exchange(p_, nullptr); }

 private:
  T* p_ = nullptr;
};

// The one way to create a counted object; the result holds the first count.
template <class T, class... Args>
Ref<T> MakeRef(Args&&... args) {
  return Ref<T>(new T(std::forward<Args>(args)...));
}

}  // namespace quarnel
