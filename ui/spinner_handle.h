#pragma once
#include <utility>

#include "custcont.h"

// A spinner's interface for the length of one use. The host counts every GetISpinner and wants
// each released, so the rollout never keeps a bare one.
class SpinnerHandle {
 public:
  SpinnerHandle() = default;
  explicit SpinnerHandle(HWND control) : spin(control ? GetISpinner(control) : nullptr) {}
  ~SpinnerHandle() { Release(); }
  SpinnerHandle(const SpinnerHandle&) = delete;
  SpinnerHandle& operator=(const SpinnerHandle&) = delete;
  SpinnerHandle(SpinnerHandle&& other) noexcept : spin(std::exchange(other.spin, nullptr)) {}
  SpinnerHandle& operator=(SpinnerHandle&& other) noexcept {
    if (this != &other) {
      Release();
      spin = std::exchange(other.spin, nullptr);
    }
    return *this;
  }

  explicit operator bool() const { return spin != nullptr; }
  ISpinnerControl* operator->() const { return spin; }
  ISpinnerControl* get() const { return spin; }

 private:
  void Release() {
    if (spin) ReleaseISpinner(std::exchange(spin, nullptr));
  }
  ISpinnerControl* spin = nullptr;
};
