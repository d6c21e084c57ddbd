#pragma once
// Marks a handler's run in the window's trace, with its nesting depth.
#include "window/memo_window.h"

namespace tetomu {

class MemoWindow::Entered {
  public:
    Entered(MemoWindow& window, const char* name) : trace_(window.trace_) {
        if (!trace_) return;
        trace_->note(name);
        ++trace_->depth;
    }
    Entered(const Entered&) = delete;
    Entered& operator=(const Entered&) = delete;
    ~Entered() {
        if (trace_) --trace_->depth;
    }

  private:
    HandlerTrace* trace_;
};

}  // namespace tetomu
