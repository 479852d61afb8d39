// Stopping a long call early: Ctrl-C (or any Python signal handler that raises) while the
// loops run without the interpreter lock, and the end of the other workers' ranges once one
// of them has failed.
//
// Every point of a loop passes a checkpoint. Workers only look at the call's stop flag
// there (a relaxed load). The calling thread, every `stride` points, also reads the clock,
// and every `period` takes the interpreter lock back for a moment to run Python's signal
// handlers (PyErr_CheckSignals does so only on the main thread; elsewhere the lock is not
// taken again). When a handler raises, the error stays pending in the thread's state, the
// stop flag is set and the loops unwind by throwing `stopped`; run_split joins the workers
// and raises the pending error once it holds the lock again.
#pragma once

#include <pybind11/pybind11.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <exception>

namespace thinfilm_py {

namespace py = pybind11;

// Thrown through a loop to end it early; never leaves run_split.
struct stopped {};

// What the ranges of one call share.
struct call_control {
  std::atomic<bool> stop{false};
  // Set by the calling thread alone: a Python exception is pending in its thread state.
  bool interrupted = false;
};

// How many points of a calculation pass between two looks at the clock, from the number
// of points below which the calculation stays on one thread (both follow the cost of a
// point): 100 for a forward film model, 10 for a search, every point for a continue pass.
inline int check_stride(py::ssize_t min_points) {
  const py::ssize_t s = min_points / 200;
  return static_cast<int>(s < 1 ? 1 : (s > 1000 ? 1000 : s));
}

class checkpoint {
 public:
  using clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds period{15};

  checkpoint(call_control& control, int stride, bool caller) noexcept
      : control_(control), stride_(stride), countdown_(stride), caller_(caller) {}

  // Called once per point; throws `stopped` when the call must end.
  void point() { points(1); }

  // The check of m points at once.
  void points(py::ssize_t m) {
    if (control_.stop.load(std::memory_order_relaxed)) throw stopped{};
    countdown_ -= m;
    if (countdown_ <= 0) due();
  }

  // Runs Python's signal handlers now (calling thread only); true, with the stop flag set
  // and the handler's error pending, when one raised.
  bool poll() {
    if (!caller_ || signals_ == where::elsewhere || control_.interrupted) return false;
    bool raised = false;
    {
      py::gil_scoped_acquire hold;
      if (signals_ == where::unknown) signals_ = on_main_thread() ? where::here : where::elsewhere;
      raised = signals_ == where::here && PyErr_CheckSignals() != 0;
    }
    if (raised) {
      control_.interrupted = true;
      control_.stop.store(true, std::memory_order_relaxed);
    }
    return raised;
  }

 private:
  void due() {
    countdown_ = stride_;
    if (!caller_ || signals_ == where::elsewhere) return;
    const clock::time_point now = clock::now();
    if (!started_) {
      // The first period starts here: short calls never take the lock.
      started_ = true;
      next_ = now + period;
      return;
    }
    if (now < next_) return;
    next_ = now + period;
    if (poll()) throw stopped{};
  }

 private:
  // Python runs its signal handlers on the main thread alone. Called with the lock held;
  // an error on the way (none expected) counts as the main thread, which only costs time.
  static bool on_main_thread() {
    try {
      const py::object main = py::module_::import("threading").attr("main_thread")();
      return main.attr("ident").cast<unsigned long>() == PyThread_get_thread_ident();
    } catch (const std::exception&) {
      return true;
    }
  }

  enum class where { unknown, here, elsewhere };

  call_control& control_;
  int stride_;
  py::ssize_t countdown_;
  bool caller_;
  bool started_ = false;
  where signals_ = where::unknown;
  clock::time_point next_{};
};

}  // namespace thinfilm_py
