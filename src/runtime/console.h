// The terminal a command-line run talks to, its arguments, and the requests
// to stop it.
#ifndef MIRLOT_RUNTIME_CONSOLE_H_
#define MIRLOT_RUNTIME_CONSOLE_H_

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace mirlot {

// The program's arguments as UTF-8, the program's name first. On Windows
// they come from the wide command line, so that any name survives whatever
// the code page, `/?` (the way Windows programs are asked for help) comes as
// "--help", a console's output code page becomes UTF-8 until the program
// ends, and standard output and error write LF line ends as they are.
// Elsewhere `argv` as it is. Call once, at the start of main.
std::vector<std::string> StartCommandLine(int argc, char** argv);

// True when `stream` is a terminal a person watches.
bool IsTerminal(std::FILE* stream);

// How many columns a line of the terminal `stream` holds; 0 when `stream`
// is not a terminal or the system does not say.
int TerminalColumns(std::FILE* stream);

// Call first thing in a command-line program. A write to a pipe whose reader
// has gone then fails like any other write instead of ending the process,
// and a standard stream the program was started without is held by a
// stand-in that refuses every write, so that no file the program opens
// later takes its number and receives its messages.
void PrepareStandardStreams();

// Writes `text` (UTF-8) and a line end to `stream`, flushed. On a Windows
// console as wide characters; otherwise as UTF-8 bytes and LF.
void WriteLine(std::FILE* stream, std::string_view text);

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
