// The terminal a command-line run talks to, and the requests to stop it.
#ifndef MIRLOT_RUNTIME_CONSOLE_H_
#define MIRLOT_RUNTIME_CONSOLE_H_

#include <cstdio>

namespace mirlot {

// True when `stream` is a terminal a person watches.
bool IsTerminal(std::FILE* stream);

// Call first thing in a command-line program. A write to a pipe whose reader
// has gone then fails like any other write instead of ending the process,
// and a standard stream the program was started without is held by a
// stand-in that refuses every write, so that no file the program opens
// later takes its number and receives its messages.
void PrepareStandardStreams();

// While one of these lives, an interrupt (Ctrl-C), a termination request and
// the loss of the terminal (hang-up; on Windows the console's close, logoff
// and shutdown events) do not end the process but are recorded, so that the
// work in hand can stop cleanly. At most one may live at a time.
class InterruptWatch {
 public:
  InterruptWatch();
  ~InterruptWatch();
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;

  // True once a request arrived; safe to call from any thread.
  bool Interrupted() const;

  // The exit status that tells the caller what stopped the program: 128 +
  // the signal's number (130 for Ctrl-C, 143 for a termination request, 129
  // for a hang-up); 0 while nothing arrived.
  int ExitStatus() const;
};

}  // namespace mirlot

#endif  // MIRLOT_RUNTIME_CONSOLE_H_
