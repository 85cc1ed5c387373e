// The user's sessions with the main window and the image window, in one
// table for the Qt and the Win32 windows: each toolkit's test plays every
// row through its own driver, over the in-memory file system, a scripted
// user and recorded messages. The image window's core test asks the same
// scripted user.
//
// A driver is one shown window, made from a FileSystem& and a RunTiming,
// whose member `user` is the scripted user it asks, and the image window
// that an image dropped onto it opens in; the test works them by the
// user's means:
//   Click(caption)    presses the button of either window whose caption
//                     it is;
//   Key(key)          presses on the focused control the key whose ASCII
//                     control character is `key` (Enter '\r', Tab '\t',
//                     Escape '\x1b');
//   Drop(paths)       drops the paths onto the window;
//   Argue(path)       gives the path as the program's argument;
//   Close()           asks the window to close;
//   Caption()         the path label's text without line ends, "" once the
//                     window is gone;
//   Look()            the image window's title and verdict, split by '|',
//                     then '|' and each cell of its first row followed by
//                     ' '; "" while hidden;
//   Progress(cancel)  the progress window's title and text without line
//                     ends, then " (cut)" when the text does not show
//                     whole above the bar, "" while none shows; `cancel`
//                     presses its Cancel button after;
//   Poll(tick)        calls `tick` on the window's thread every few
//                     milliseconds, also while a run works, until it
//                     returns true.
#ifndef MIRLOT_TESTS_WINDOW_WINDOW_SCENARIOS_H_
#define MIRLOT_TESTS_WINDOW_WINDOW_SCENARIOS_H_

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "runtime/fake_file_system.h"
#include "support/text_match.h"
#include "window/control_texts.h"
#include "window/image_view.h"
#include "window/window_services.h"

namespace mirlot {

// A message box as the user saw it: "text", then "|title" when not the
// window's, "|detail" when it has one, "|N buttons" unless only OK.
inline std::string BoxSeen(const std::string& title, const std::string& text,
                           const std::string& detail, int buttons) {
  return text + (title == kWindowTitle ? "" : "|" + title) +
         (detail.empty() ? "" : "|" + detail) +
         (buttons == 1 ? "" : "|" + std::to_string(buttons) + " buttons");
}

// Records what the user was shown: "(folder)" for each chooser, which
// takes the next of the answers `answer` holds, split by ';' ("" cancels),
// "[BoxSeen]" for each message and each question, which the next answer
// says Yes to when it is "yes", and "{title: text}" for a progress window:
// one that `progress` (when set) finds still showing over a message, or one
// whose Cancel the user pressed. Once `real` is set, messages show in the
// toolkit's own box, which `box` shows, reads back as BoxSeen does and
// dismisses with its OK.
template <typename Parent>
struct ScriptedUser : ListChooserFor<Parent>,
                      MessagePresenterFor<Parent>,
                      FolderChooserFor<Parent>,
                      QuestionerFor<Parent> {
  std::optional<std::string> ChooseList(Parent,
                                        const std::string& folder) override {
    seen += "(" + folder + ")";
    std::string chosen = Next();
    return chosen.empty() ? std::nullopt : std::optional(chosen);
  }
  std::optional<std::string> ChooseFolder(Parent parent,
                                          const std::string& folder) override {
    return ChooseList(parent, folder);
  }
  bool Ask(Parent, const WindowMessage& question) override {
    seen +=
        "[" + BoxSeen(question.title, question.text, question.detail, 2) + "]";
    return Next() == "yes";
  }
  void ShowMessage(Parent parent, const WindowMessage& message) override {
    const std::string over = progress ? progress() : "";
    seen += "[" +
            (real ? box(parent, message)
                  : BoxSeen(message.title, message.text, message.detail, 1)) +
            "]" + (over.empty() ? "" : "{" + over + "}");
  }
  std::string Next() {
    std::string next = answer.substr(0, answer.find(';'));
    answer.erase(0, next.size() + 1);
    return next;
  }
  std::string answer, seen;
  bool real = false;
  std::function<std::string()> progress;
  std::function<std::string(Parent, const WindowMessage&)> box;
};

// Steps, split by ';': "choose PATH" answers the chooser ("choose" alone
// cancels it), "enter [PATH]", "tab" and "escape" press those keys (a
// chooser that opens answers PATH), "drop PATH...", "argue PATH", "start"
// presses Start, "extract [PATH]", "verify [PATH]" and "reload" press
// those buttons of the image window (its chooser answers PATH), "look"
// records "<Look()>", "close" closes the window, "cancel" presses Cancel in the
// progress window, which then shows as "{title: text}", "boxes" shows the
// messages that follow in the toolkit's own box. The steps after '>' are taken
// once the progress window of the run that follows shows, while that run waits
// at its first read (after ">>": as it starts saving), so a working window must
// refuse them. Then the caption ('*' stands for any text), what the user saw,
// and the folders whose out.bin was replaced.
struct Scenario {
  std::string steps, caption, seen, replaced;
};

inline const std::string kLongList = "/d/" + std::string(200, 'a') + "/l.txt";
// A folder of 150 characters that cannot be locked.
inline const std::string kUnlockable = "/h/" + std::string(147, 'h');

// clang-format off
inline const Scenario kScenarios[] = {
    {"boxes; start", "&Path", "[No file selected]", ""},
    {"choose /d/a&b.txt", "/d/a&&b.txt", "()", ""},
    {"choose /d/l.txt; choose /e/l.txt; start", "/e/l.txt", "()(/d)[Done]", "/e"},
    {"choose /f/l.txt; boxes; start", "/f/l.txt", "()[Ошибка 53File not found|list line 2, field 1: /f/b.dat: no such file]", ""},
    {"choose /g/l.txt; start", "/g/l.txt", "()[Не найдено ни одного файла][Done]", ""},
    {"choose /d/l.txt; start > choose /e/l.txt; start; drop /e/l.txt; close", "/d/l.txt", "()[Done]", "/d"},
    {"choose /d/l.txt; start > cancel", "/d/l.txt", "(){Mirlot utility: Packing…}", ""},
    // Enter presses the focused button, the path button first.
    {"enter /d/l.txt; tab; enter", "/d/l.txt", "()[Done]", "/d"},
    // The program's argument is a choice when it is an existing file.
    {"argue /e/l.txt; choose; start", "/e/l.txt", "(/e)[Done]", "/e"},
    {"argue /d/l.txt; argue /e; argue /x.txt", "/d/l.txt", "[Cannot choose /e as the list: it is a folder][Cannot choose /x.txt as the list: no such file]", ""},
    // A dropped list is a choice; only Start packs; a dropped folder or
    // several paths change nothing.
    {"drop /d/l.txt; drop /e; drop /e/l.txt /g/l.txt; start", "/d/l.txt", "[Done]", "/d"},
    // Too long for the label: the beginning and the file name show.
    {"choose " + kLongList, "/d/aaa*…*aaa/l.txt", "()", ""},
    // The warning shows whole, wrapped inside the path where need be.
    {"choose " + kUnlockable + "/l.txt; start >> cancel", "*", "(){Mirlot utility: Saving…Warning: could not lock " + kUnlockable + " (Permission denied); another run into it could interleave with this one}", ""},
    // A dropped image opens in the image window, one at a time; its keys.
    {"drop /x/out.bin; drop /d/report.txt; drop /u/out.bin; look; tab; enter; escape; look", "&Path", "<image /x/out.bin>[Cannot read /x/out.bin|File not found]<image /d/out.bin><image /u/out.bin></u/out.bin - Mirlot utility|10 bytes, 1 entry; unsound: 1 problem (entry 1: payload ends at 17, 7 bytes past the end of the file); names: none (no /u/report.txt)|1  8 9 >(/u/out)<>", ""},
    {"drop /d/out.bin; enter; look", "&Path", "<image /d/out.bin><>", ""},
    // Its buttons, on the image packed after it opened; the question is
    // answered No.
    {"choose /d/l.txt; drop /d/out.bin; start; reload; look; extract /d/x; extract /d/x; verify /d/l.txt; escape; look", "/d/l.txt", "()<image /d/out.bin>[Done]</d/out.bin - Mirlot utility|108 bytes, 1 entry; sound; names: from /d/report.txt|1 a.dat 8 100 >(/d/out)[Extracted 1 of 1 payloads to /d/x|Each file holds a payload: *](/d/out)[1 file to be written exists already in /d/x. Replace it?|/d/x/a.dat|2 buttons](/d)[/d/out.bin and /d/report.txt match /d/l.txt]<>", "/d and other files"},
};
// Good lists in /d, /e and kUnlockable, a missing member in /f, an empty
// list in /g.
inline const std::pair<std::string, std::string> kLists[] = {
    {"/d", "a.dat"}, {"/e", "a.dat"}, {"/f", "a.dat\nb.dat"}, {"/g", ""}, {kUnlockable, "a.dat"}};
// What steps press: a button by its caption, or a key.
inline constexpr std::tuple<const char*, const char*, char> kPresses[] = {
    {"choose", kPathButtonTexts.caption, 0}, {"start", kStartButtonTexts.caption, 0}, {"extract", kExtractButtonTexts.caption, 0},
    {"verify", kVerifyButtonTexts.caption, 0}, {"reload", kReloadButtonTexts.caption, 0}, {"enter", nullptr, '\r'}, {"tab", nullptr, '\t'}, {"escape", nullptr, '\x1b'}};
// clang-format on

// Takes `steps` on `window`; those after '>' on the window's thread once the
// next run's progress window shows and that run is held where the mark
// says, till then.
template <typename Window>
void Take(Window& window, FakeFileSystem& fs, const std::string& steps) {
  const std::size_t mark = steps.find('>');
  if (mark != std::string::npos) {
    const bool saving = steps.compare(mark, 2, ">>") == 0;
    const auto hold =
        saving ? FakeFileSystem::Op::kClose : FakeFileSystem::Op::kRead;
    auto release = std::make_shared<std::promise<void>>();
    auto reached = std::make_shared<std::atomic<bool>>(false);
    fs.before_each = [hold, reached, held = release->get_future().share()](
                         auto op, auto&) {
      if (op != hold) return;
      reached->store(true);
      held.wait_for(std::chrono::seconds(9));
    };
    window.Poll([&window, &fs, release, reached,
                 later = steps.substr(mark + (saving ? 2 : 1))] {
      if (!reached->load() || window.Progress(false).empty()) return false;
      Take(window, fs, later);
      release->set_value();
      return true;
    });
  }
  std::istringstream in(steps.substr(0, mark));
  for (std::string step; std::getline(in, step, ';');) {
    std::istringstream words(step);
    std::string verb;
    words >> verb;
    const std::vector<std::string> paths{
        std::istream_iterator<std::string>(words), {}};
    window.user.answer = paths.empty() ? "" : paths.front();
    if (verb == "drop") window.Drop(paths);
    if (verb == "argue") window.Argue(paths.front());
    if (verb == "close") window.Close();
    if (verb == "boxes") window.user.real = true;
    if (verb == "cancel") window.user.seen += "{" + window.Progress(true) + "}";
    if (verb == "look") window.user.seen += "<" + window.Look() + ">";
    for (const auto& [name, caption, key] : kPresses)
      if (verb == name) caption ? window.Click(caption) : window.Key(key);
  }
}

// Plays `row` on a fresh `Window`. Returns what differed from the row, ""
// when nothing did.
template <typename Window>
std::string Play(const Scenario& row) {
  FakeFileSystem fs;
  for (const auto& [folder, list] : kLists) {
    fs.AddFile(folder + "/l.txt", list);
    fs.AddFile(folder + "/a.dat", std::string(154, 'm'));
    fs.AddFile(folder + "/out.bin", "earlier image");
    fs.AddFile(folder + "/report.txt", "earlier report");
  }
  // An image whose one entry ends past its end.
  fs.AddFile("/u/out.bin", std::string("\0\0\0\x08\0\0\0\x09WX", 10));
  const std::vector<std::string> before = fs.FilePaths();
  fs.FailOn(FakeFileSystem::Op::kLockFolder, kUnlockable,
            Status(FailureCode::kPermissionDenied));
  // Only a run watched through its progress window shows it at once.
  const bool watched = row.steps.find('>') != std::string::npos;
  Window window(fs, {.progress_delay = std::chrono::hours(watched ? 0 : 1)});
  window.user.progress = [&window] { return window.Progress(false); };
  Take(window, fs, row.steps);
  // No progress window is left once a run ended.
  std::string seen = window.Caption() + "|" + window.Progress(false) + "|" +
                     window.user.seen + "|";
  for (const auto& [folder, list] : kLists) {
    if (fs.Content(folder + "/out.bin") != "earlier image") seen += folder;
  }
  if (fs.FilePaths() != before) seen += " and other files";
  if (Matches(seen, row.caption + "||" + row.seen + "|" + row.replaced, "*")) {
    return "";
  }
  return row.steps + ": saw " + seen;
}

}  // namespace mirlot

#endif  // MIRLOT_TESTS_WINDOW_WINDOW_SCENARIOS_H_
