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

// A fresh window over `file_system`, given `argument` as the program's
// first argument ("" for none).
using MakeWindow = std::function<std::unique_ptr<WindowDriver>(
    FakeFileSystem& file_system, RunTiming timing,
    const std::string& argument)>;

// Steps: "choose PATH" ("choose" alone cancels the chooser), "drop PATH...",
// "start"; "start-poke" clicks, drops and closes while the run works;
// "start-cancel" presses Cancel in the progress window. Then: the caption,
// where the chooser opened, the messages, and whose out.bin was replaced.
struct Scenario {
  std::string argument;
  std::vector<std::string> steps;
  std::string caption;
  std::vector<std::string> start_folders, messages;
  std::string replaced;
};

inline const std::string kDeep = [] {
  std::string deep = "/d";
  for (int k = 0; k < 16; ++k) deep += "/a-long-folder-name";
  return deep;
}();

inline const Scenario kScenarios[] = {
    {"", {"start"}, "Path", {}, {"No file selected"}, ""},
    {"",
     {"choose /d/l.txt", "choose", "start"},
     "/d/l.txt",
     {"", "/d"},
     {"Done"},
     "/d"},
    {"",
     {"choose /d/l.txt", "choose /e/l.txt", "start"},
     "/e/l.txt",
     {"", "/d"},
     {"Done"},
     "/e"},
    {"",
     {"choose " + kDeep + "/l.txt", "start"},
     kDeep + "/l.txt",
     {""},
     {"Done"},
     kDeep},
    {"",
     {"choose /f/l.txt", "start"},
     "/f/l.txt",
     {""},
     {"Ошибка 53File not found"},
     ""},
    {"",
     {"choose /g/l.txt", "start"},
     "/g/l.txt",
     {""},
     {"Не найдено ни одного файла", "Done"},
     ""},
    {"", {"choose /d/l.txt", "start-poke"}, "/d/l.txt", {""}, {"Done"}, "/d"},
    {"", {"choose /d/l.txt", "start-cancel"}, "/d/l.txt", {""}, {}, ""},
    // A dropped list or the program's argument is a choice; only Start
    // packs; a folder or several paths change nothing.
    {"",
     {"drop /e/l.txt", "choose", "start"},
     "/e/l.txt",
     {"/e"},
     {"Done"},
     "/e"},
    {"",
     {"choose /d/l.txt", "drop /e", "drop /e/l.txt /g/l.txt", "start"},
     "/d/l.txt",
     {""},
     {"Done"},
     "/d"},
    {"/e/l.txt", {"drop /g/l.txt"}, "/g/l.txt", {}, {}, ""},
    {"/e/l.txt", {"start"}, "/e/l.txt", {}, {"Done"}, "/e"},
    {"/e", {"start"}, "Path", {}, {"No file selected"}, ""},
};

namespace scenario_internal {

// Good lists in /d, /e and kDeep, a missing member in /f, an empty list in
// /g, each beside the outputs of an earlier run.
inline const char* const kFolders[][2] = {{"/d", "a.dat"},
                                          {"/e", "a.dat"},
                                          {kDeep.c_str(), "a.dat"},
                                          {"/f", "a.dat\nb.dat"},
                                          {"/g", ""}};

inline std::vector<std::string> Words(const std::string& step) {
  std::istringstream in(step);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

// Starts the run and holds it at its first read (that of the list) until
// `action` ran on the window's thread, once `ready` held.
inline void StartHeldRun(WindowDriver& window, FakeFileSystem& fs,
                         std::function<bool()> ready,
                         std::function<void()> action) {
  auto release = std::make_shared<std::promise<void>>();
  std::shared_future<void> released = release->get_future().share();
  fs.before_each = [released](FakeFileSystem::Op op, const std::string&) {
    if (op == FakeFileSystem::Op::kRead) {
      released.wait_for(std::chrono::seconds(10));
    }
  };
  window.Poll([=] {
    if (!ready()) return false;
    action();
    release->set_value();
    return true;
  });
  window.Click("cmdStart");
}

inline void Step(WindowDriver& window, FakeFileSystem& fs,
                 const std::string& step, std::ostringstream& problems) {
  std::vector<std::string> words = Words(step);
  const std::string verb = words.front();
  words.erase(words.begin());
  if (verb == "choose") {
    window.user().next_answer = words.empty() ? "" : words.front();
    window.Click("cmdPath");
  } else if (verb == "drop") {
    window.Drop(words);
  } else if (verb == "start") {
    window.Click("cmdStart");
  } else if (verb == "start-poke") {
    StartHeldRun(
        window, fs, [] { return true; },
        [&] {
          window.user().next_answer = "/e/l.txt";
          window.Click("cmdPath");
          window.Click("cmdStart");
          window.Drop({"/e/l.txt"});
          window.Close();
        });
    if (!window.IsOpen()) problems << "closed during the run; ";
  } else if (verb == "start-cancel") {
    std::string title;
    StartHeldRun(
        window, fs, [&] { return !window.ProgressTitle().empty(); },
        [&] {
          title = window.ProgressTitle();
          window.CancelProgress();
        });
    if (title != kWindowTitle) problems << "progress title " << title << "; ";
    if (!window.ProgressTitle().empty()) problems << "progress stays; ";
  }
}

template <typename T>
std::string Join(const T& items) {
  std::string joined;
  for (const auto& item : items) joined += "[" + std::string(item) + "]";
  return joined;
}

}  // namespace scenario_internal

// Plays `row` on a fresh window made by `make`. Returns what differed from
// the row's expectations, "" when nothing did.
inline std::string Play(const Scenario& row, const MakeWindow& make) {
  using namespace scenario_internal;
  FakeFileSystem fs;
  for (const auto& [folder, list] : kFolders) {
    const std::string at(folder);
    fs.AddFile(at + "/l.txt", list);
    fs.AddFile(at + "/a.dat", std::string(154, 'm'));
    fs.AddFile(at + "/out.bin", "earlier image");
    fs.AddFile(at + "/report.txt", "earlier report");
  }
  const std::vector<std::string> before = fs.FilePaths();
  const bool cancels = row.steps.back() == "start-cancel";
  std::unique_ptr<WindowDriver> window =
      make(fs,
           {.progress_delay =
                cancels ? std::chrono::milliseconds(0) : std::chrono::hours(1)},
           row.argument);
  std::ostringstream problems;
  for (const std::string& step : row.steps) Step(*window, fs, step, problems);
  const UserRecord& user = window->user();
  if (window->Caption() != row.caption) problems << window->Caption() << "; ";
  if (window->ListChosen() != (row.caption != kNoPathCaption)) {
    problems << "list chosen " << window->ListChosen() << "; ";
  }
  if (user.start_folders != row.start_folders) {
    problems << "chooser in " << Join(user.start_folders) << "; ";
  }
  if (user.texts != row.messages) problems << Join(user.texts) << "; ";
  if (user.titles !=
      std::vector<std::string>(user.texts.size(), kWindowTitle)) {
    problems << "titles " << Join(user.titles) << "; ";
  }
  for (const auto& [folder, list] : kFolders) {
    const bool replaced =
        fs.Content(std::string(folder) + "/out.bin") != "earlier image";
    if (replaced != (folder == row.replaced)) problems << folder << "; ";
  }
  if (fs.FilePaths() != before) problems << Join(fs.FilePaths()) << "; ";
  return problems.str();
}

}  // namespace mirlot

#endif  // MIRLOT_TESTS_WINDOW_WINDOW_SCENARIOS_H_
