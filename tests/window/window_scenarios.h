// The user's sessions with the window, in one table for the Qt and the
// Win32 window: each window's test plays every row through its own driver,
// over the in-memory file system, a scripted chooser and recorded messages.
#ifndef MIRLOT_TESTS_WINDOW_WINDOW_SCENARIOS_H_
#define MIRLOT_TESTS_WINDOW_WINDOW_SCENARIOS_H_

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "runtime/fake_file_system.h"
#include "window/list_choice.h"
#include "window/window_services.h"

namespace mirlot {

// What the scripted user was asked and shown. The chooser answers with
// `next_answer` once ("" cancels).
struct UserRecord {
  std::string next_answer;
  std::vector<std::string> start_folders, titles, texts;
};

template <typename Parent>
class ScriptedUser : public UserRecord,
                     public ListChooserFor<Parent>,
                     public MessagePresenterFor<Parent> {
 public:
  std::optional<std::string> ChooseList(Parent,
                                        const std::string& folder) override {
    start_folders.push_back(folder);
    std::string answer = std::exchange(next_answer, "");
    return answer.empty() ? std::nullopt : std::optional(answer);
  }
  void ShowMessage(Parent, const std::string& title,
                   const std::string& text) override {
    titles.push_back(title);
    texts.push_back(text);
  }
};

// One shown window, as its toolkit's test drives it with the user's means.
class WindowDriver {
 public:
  virtual ~WindowDriver() = default;
  virtual UserRecord& user() = 0;
  virtual void Click(const std::string& button) = 0;  // "cmdPath", "cmdStart"
  // The paths as the program's argument, as its start gives them.
  virtual void Offer(const std::vector<std::string>& paths) = 0;
  virtual void Drop(const std::vector<std::string>& paths) = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() = 0;
  virtual std::string Caption() = 0;
  virtual bool ListChosen() = 0;
  // The progress window's title, "" while none is shown.
  virtual std::string ProgressTitle() = 0;
  virtual void CancelProgress() = 0;
  // Calls `tick` on the window's thread every few milliseconds, also while
  // a run works, until it returns true.
  virtual void Poll(std::function<bool()> tick) = 0;
};

// Steps, split by ';': "arg PATH" gives PATH as the program's first
// argument, "choose PATH" answers the chooser with PATH ("choose" alone
// cancels it), "drop PATH..." drops the paths, "start" presses Start,
// "poke" presses Start and, while the run works, clicks, drops and closes,
// "cancel" presses Start and then Cancel in the progress window. Then the
// caption, the folders the chooser opened in and the messages ("[a][b]"),
// and the folder whose out.bin was replaced.
struct Scenario {
  std::string steps, caption, chooser_folders, messages, replaced;
};

inline const std::string kDeep = [] {
  std::string deep = "/d";
  for (int k = 0; k < 16; ++k) deep += "/a-long-folder-name";
  return deep;
}();

// clang-format off
inline const Scenario kScenarios[] = {
    {"start", "Path", "", "[No file selected]", ""},
    {"choose /d/l.txt; choose; start", "/d/l.txt", "[][/d]", "[Done]", "/d"},
    {"choose /d/l.txt; choose /e/l.txt; start", "/e/l.txt", "[][/d]", "[Done]", "/e"},
    {"choose " + kDeep + "/l.txt; start", kDeep + "/l.txt", "[]", "[Done]", kDeep},
    {"choose /f/l.txt; start", "/f/l.txt", "[]", "[Ошибка 53File not found]", ""},
    {"choose /g/l.txt; start", "/g/l.txt", "[]", "[Не найдено ни одного файла][Done]", ""},
    {"choose /d/l.txt; poke", "/d/l.txt", "[]", "[Done]", "/d"},
    {"choose /d/l.txt; cancel", "/d/l.txt", "[]", "", ""},
    // A dropped list or the program's argument is a choice; only Start
    // packs; a folder or several paths change nothing.
    {"drop /e/l.txt; choose; start", "/e/l.txt", "[/e]", "[Done]", "/e"},
    {"choose /d/l.txt; drop /e; drop /e/l.txt /g/l.txt; start", "/d/l.txt", "[]", "[Done]", "/d"},
    {"arg /e/l.txt; drop /g/l.txt", "/g/l.txt", "", "", ""},
    {"arg /e/l.txt; start", "/e/l.txt", "", "[Done]", "/e"},
    {"arg /e; start", "Path", "", "[No file selected]", ""},
};
// clang-format on

namespace scenario_internal {

// Good lists in /d, /e and kDeep, a missing member in /f, an empty list in
// /g, each beside the outputs of an earlier run.
inline const std::pair<std::string, std::string> kFolders[] = {
    {"/d", "a.dat"},
    {"/e", "a.dat"},
    {kDeep, "a.dat"},
    {"/f", "a.dat\nb.dat"},
    {"/g", ""}};

inline std::vector<std::string> Split(const std::string& text, char by) {
  std::vector<std::string> parts;
  std::istringstream in(text);
  for (std::string part; std::getline(in, part, by);) {
    if (by != ' ' || !part.empty()) parts.push_back(part);
  }
  return parts;
}

inline std::string Join(const std::vector<std::string>& items) {
  std::string joined;
  for (const std::string& item : items) joined += "[" + item + "]";
  return joined;
}

// Starts the run and holds it at its first read (that of the list) until
// `action` ran on the window's thread, once `ready` held.
inline void StartHeldRun(WindowDriver& window, FakeFileSystem& fs,
                         std::function<bool()> ready,
                         std::function<void()> action) {
  auto release = std::make_shared<std::promise<void>>();
  std::shared_future<void> released = release->get_future().share();
  fs.before_each = [released](FakeFileSystem::Op op, const std::string&) {
    if (op == FakeFileSystem::Op::kRead)
      released.wait_for(std::chrono::seconds(10));
  };
  window.Poll([=] {
    if (!ready()) return false;
    action();
    release->set_value();
    return true;
  });
  window.Click("cmdStart");
}

// Takes one step; returns what went wrong on the way ("" when nothing).
inline std::string Step(WindowDriver& window, FakeFileSystem& fs,
                        const std::string& step) {
  std::vector<std::string> words = Split(step, ' ');
  const std::string verb = words.front();
  words.erase(words.begin());
  if (verb == "arg") window.Offer(words);
  if (verb == "drop") window.Drop(words);
  if (verb == "start") window.Click("cmdStart");
  if (verb == "choose") {
    window.user().next_answer = words.empty() ? "" : words.front();
    window.Click("cmdPath");
  }
  if (verb == "poke") {
    StartHeldRun(
        window, fs, [] { return true; },
        [&] {
          window.user().next_answer = "/e/l.txt";
          window.Click("cmdPath");
          window.Click("cmdStart");
          window.Drop({"/e/l.txt"});
          window.Close();
        });
    if (!window.IsOpen()) return "closed during the run";
  }
  std::string title;
  if (verb == "cancel") {
    StartHeldRun(
        window, fs, [&] { return !window.ProgressTitle().empty(); },
        [&] {
          title = window.ProgressTitle();
          window.CancelProgress();
        });
    if (title != kWindowTitle || !window.ProgressTitle().empty()) {
      return "progress window [" + title + "] " + window.ProgressTitle();
    }
  }
  return "";
}

}  // namespace scenario_internal

// Plays `row` on a fresh window that `make(file_system, timing)` returns as
// a std::unique_ptr<WindowDriver>-like pointer. Returns what differed from
// the row's expectations, "" when nothing did.
template <typename MakeWindow>
std::string Play(const Scenario& row, const MakeWindow& make) {
  using namespace scenario_internal;
  FakeFileSystem fs;
  for (const auto& [folder, list] : kFolders) {
    fs.AddFile(folder + "/l.txt", list);
    fs.AddFile(folder + "/a.dat", std::string(154, 'm'));
    fs.AddFile(folder + "/out.bin", "earlier image");
    fs.AddFile(folder + "/report.txt", "earlier report");
  }
  const std::vector<std::string> before = fs.FilePaths();
  const bool cancels = row.steps.ends_with("cancel");
  auto window =
      make(fs, {.progress_delay = cancels ? std::chrono::milliseconds(0)
                                          : std::chrono::hours(1)});
  std::string problems;
  for (const std::string& step : Split(row.steps, ';')) {
    problems += Step(*window, fs, step);
  }
  const UserRecord& user = window->user();
  std::string replaced;
  for (const auto& [folder, list] : kFolders) {
    if (fs.Content(folder + "/out.bin") != "earlier image") replaced += folder;
  }
  const std::string seen = window->Caption() + "|" + Join(user.start_folders) +
                           "|" + Join(user.texts) + "|" + replaced;
  if (seen != row.caption + "|" + row.chooser_folders + "|" + row.messages +
                  "|" + row.replaced) {
    problems += " saw " + seen;
  }
  if (window->ListChosen() != (row.caption != kNoPathCaption) ||
      user.titles !=
          std::vector<std::string>(user.texts.size(), kWindowTitle) ||
      fs.FilePaths() != before) {
    problems += " choice, titles or files";
  }
  return problems;
}

}  // namespace mirlot

#endif  // MIRLOT_TESTS_WINDOW_WINDOW_SCENARIOS_H_
