// The terminal a command-line run talks to, its arguments, and Ctrl-C.
#ifndef MIRLOT_RUNTIME_CONSOLE_H_
#define MIRLOT_RUNTIME_CONSOLE_H_

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace mirlot {

// The program's arguments as UTF-8, the program's name first. On Windows
// they come from the wide command line, so that any name survives whatever
// the code page, a console's output code page becomes UTF-8 until the
// program ends, and standard output and error write LF line ends as they
// are. Elsewhere `argv` as it is. Call once, at the start of main.
std::vector<std::string> StartCommandLine(int argc, char** argv);

// True when `stream` is a terminal a person watches.
bool IsTerminal(std::FILE* stream);

// Writes `text` (UTF-8) and a line end to `stream`, flushed. On a Windows
// console as wide characters; otherwise as UTF-8 bytes and LF.
void WriteLine(std::FILE* stream, std::string_view text);

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
