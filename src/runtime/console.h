// The terminal a command-line run talks to, and Ctrl-C.
#ifndef MIRLOT_RUNTIME_CONSOLE_H_
#define MIRLOT_RUNTIME_CONSOLE_H_

#include <cstdio>

namespace mirlot {

// True when `stream` is a terminal a person watches.
bool IsTerminal(std::FILE* stream);

// While one of these lives, an interrupt (Ctrl-C) or a termination request
// does not end the process but is recorded, so that the work in hand can
// stop cleanly. At most one may live at a time.
class InterruptWatch {
 public:
  InterruptWatch();
  ~InterruptWatch();
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;

  // True once a signal arrived; safe to call from any thread.
  bool Interrupted() const;
};

}  // namespace mirlot

#endif  // MIRLOT_RUNTIME_CONSOLE_H_
