// The user's sessions with the window, in one table for the Qt and the
// Win32 window: each window's test plays every row through its own driver,
// over the in-memory file system, a scripted chooser and recorded messages.
#ifndef MIRLOT_TESTS_WINDOW_WINDOW_SCENARIOS_H_
#define MIRLOT_TESTS_WINDOW_WINDOW_SCENARIOS_H_

#include <chrono>
#include <functional>
#include <future>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/fake_file_system.h"
#include "window/list_choice.h"
#include "window/window_services.h"

namespace mirlot {

// What the scripted user was shown: "(folder)" for each chooser, which
// answers `next_answer` once ("" cancels), and "[text]" for each message.
struct UserRecord {
  std::string next_answer, seen;
};

template <typename Parent>
struct ScriptedUser : UserRecord,
                      ListChooserFor<Parent>,
                      MessagePresenterFor<Parent> {
  std::optional<std::string> ChooseList(Parent,
                                        const std::string& folder) override {
    seen += "(" + folder + ")";
    std::string answer = std::exchange(next_answer, "");
    return answer.empty() ? std::nullopt : std::optional(answer);
  }
  void ShowMessage(Parent, const std::string& title,
                   const std::string& text) override {
    seen += "[" + text + (title == kWindowTitle ? "" : "|" + title) + "]";
  }
};

// One shown window, as its toolkit's test drives it with the user's means.
struct WindowDriver {
  virtual ~WindowDriver() = default;
  virtual UserRecord& user() = 0;
  virtual void Click(bool start) = 0;  // Start, else the path button
  virtual void Drop(const std::vector<std::string>& paths) = 0;
  virtual void Close() = 0;
  virtual std::string Caption() = 0;  // "" once the window no longer shows
  // The progress window's title, "" while none shows; `cancel` presses its
  // Cancel button first.
  virtual std::string Progress(bool cancel) = 0;
  // Calls `tick` on the window's thread every few milliseconds, also while
  // a run works, until it returns true.
  virtual void Poll(std::function<bool()> tick) = 0;
};

// Steps, split by ';': "choose PATH" answers the chooser ("choose" alone
// cancels it), "drop PATH...", "start" presses Start; "poke" presses Start
// and, while the run works, chooses, presses Start, drops and tries to
// close the window, which a working run refuses; "cancel" presses Start and
// then Cancel in the progress window. Then the caption, the chooser's
// folders and the messages, and the folders whose out.bin was replaced.
struct Scenario {
  std::string steps, caption, seen, replaced;
};

// clang-format off
inline const Scenario kScenarios[] = {
    {"start", "Path", "[No file selected]", ""},
    {"choose /d/l.txt; choose; start", "/d/l.txt", "()(/d)[Done]", "/d"},
    {"choose /d/l.txt; choose /e/l.txt; start", "/e/l.txt", "()(/d)[Done]", "/e"},
    {"choose /f/l.txt; start", "/f/l.txt", "()[Ошибка 53File not found]", ""},
    {"choose /g/l.txt; start", "/g/l.txt", "()[Не найдено ни одного файла][Done]", ""},
    {"choose /d/l.txt; poke", "/d/l.txt", "()[Done]", "/d"},
    {"choose /d/l.txt; cancel", "/d/l.txt", "()", ""},
    // A dropped list (as the program's argument) is a choice; only Start
    // packs; a dropped folder or several paths change nothing.
    {"drop /e/l.txt; choose; start", "/e/l.txt", "(/e)[Done]", "/e"},
    {"choose /d/l.txt; drop /e; drop /e/l.txt /g/l.txt; start", "/d/l.txt", "()[Done]", "/d"},
    {"drop /e/l.txt; drop /g/l.txt", "/g/l.txt", "", ""},
    {"drop /e; start", "Path", "[No file selected]", ""},
};
// Good lists in /d and /e, a missing member in /f, an empty list in /g.
inline const std::pair<std::string, std::string> kLists[] = {
    {"/d", "a.dat"}, {"/e", "a.dat"}, {"/f", "a.dat\nb.dat"}, {"/g", ""}};
// clang-format on

// Presses Start and holds the run at its first read (that of the list)
// until, on the window's thread, the user pokes the window or cancels the
// progress window. Returns what went wrong ("" when nothing).
inline std::string HeldRun(WindowDriver& window, FakeFileSystem& fs,
                           bool cancel) {
  auto release = std::make_shared<std::promise<void>>();
  fs.before_each = [held = release->get_future().share()](auto op, auto&) {
    if (op == FakeFileSystem::Op::kRead) held.wait_for(std::chrono::seconds(9));
  };
  std::string title;
  window.Poll([&window, &title, cancel, release] {
    title = window.Progress(false);
    if (cancel && title.empty()) return false;
    if (cancel) window.Progress(true);
    if (!cancel) {
      window.user().next_answer = "/e/l.txt";
      window.Click(false);
      window.Click(true);
      window.Drop({"/e/l.txt"});
      window.Close();
    }
    release->set_value();
    return true;
  });
  window.Click(true);
  const bool fine =
      window.Progress(false).empty() && title == (cancel ? kWindowTitle : "");
  return fine ? "" : "progress [" + title + "]";
}

// Plays `row` on a fresh window that `make(file_system, timing)` returns as
// a std::unique_ptr to a WindowDriver. Returns what differed from the row,
// "" when nothing did.
template <typename MakeWindow>
std::string Play(const Scenario& row, const MakeWindow& make) {
  FakeFileSystem fs;
  for (const auto& [folder, list] : kLists) {
    fs.AddFile(folder + "/l.txt", list);
    fs.AddFile(folder + "/a.dat", std::string(154, 'm'));
    fs.AddFile(folder + "/out.bin", "earlier image");
    fs.AddFile(folder + "/report.txt", "earlier report");
  }
  const std::vector<std::string> before = fs.FilePaths();
  const bool cancel = row.steps.ends_with("cancel");
  auto window =
      make(fs, {.progress_delay = std::chrono::hours(cancel ? 0 : 1)});
  std::string problems;
  std::istringstream steps(row.steps);
  for (std::string step; std::getline(steps, step, ';');) {
    std::istringstream words(step);
    std::string verb;
    words >> verb;
    const std::vector<std::string> paths{
        std::istream_iterator<std::string>(words), {}};
    window->user().next_answer = paths.empty() ? "" : paths.front();
    if (verb == "drop") window->Drop(paths);
    if (verb == "start" || verb == "choose") window->Click(verb == "start");
    if (verb == "poke" || verb == "cancel") {
      problems += HeldRun(*window, fs, cancel);
    }
  }
  std::string seen = window->Caption() + "|" + window->user().seen + "|";
  for (const auto& [folder, list] : kLists) {
    if (fs.Content(folder + "/out.bin") != "earlier image") seen += folder;
  }
  if (seen != row.caption + "|" + row.seen + "|" + row.replaced) {
    problems += " saw " + seen;
  }
  return fs.FilePaths() == before ? problems : problems + " files changed";
}

}  // namespace mirlot

#endif  // MIRLOT_TESTS_WINDOW_WINDOW_SCENARIOS_H_
