#pragma once
// Records the handlers as they run, indented by nesting depth, and the message boxes they show:
// what the tests read to see which handler an assignment raised.
#include <string>
#include <vector>

namespace tetomu {

struct HandlerTrace {
    std::vector<std::string> lines;
    int depth = 0;
    void note(const std::string& what) {
        lines.push_back(std::string(std::size_t(depth) * 2, ' ') + what);
    }

    // Marks one handler's run, and the handlers it raises as nested in it, for as long as it
    // lives. No trace, no record.
    class Entry {
      public:
        Entry(HandlerTrace* trace, const char* handler) : trace_(trace) {
            if (!trace_) return;
            trace_->note(handler);
            ++trace_->depth;
        }
        Entry(const Entry&) = delete;
        Entry& operator=(const Entry&) = delete;
        ~Entry() {
            if (trace_) --trace_->depth;
        }

      private:
        HandlerTrace* trace_;
    };
};

}  // namespace tetomu
