// Runs a function when a scope ends, on every path out of it, unless dismissed: for paired calls
// that are not handles (undoing a half-finished step, switching a host's state back).
#pragma once

#include <utility>

namespace orlix {

// The function runs from a destructor, so it must not throw.
template <typename Undo>
class [[nodiscard]] ScopeExit {
 public:
  explicit ScopeExit(Undo undo) noexcept(noexcept(Undo(std::move(undo)))) : undo_(std::move(undo)) {}
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  ~ScopeExit() {
    if (active_) undo_();
  }
  // The step succeeded: nothing to undo.
  void Dismiss() noexcept { active_ = false; }

 private:
  Undo undo_;
  bool active_ = true;
};

}  // namespace orlix
