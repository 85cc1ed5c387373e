// The window over a scripted chooser, a recording message presenter and,
// mostly, the in-memory file system.
#include "window/form1.h"

#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include "runtime/fake_file_system.h"
#include "support/temp_folder.h"
#include "window/path_label.h"
#include "window/progress_dialog.h"

namespace mirlot {
namespace {

using Op = FakeFileSystem::Op;
using namespace std::chrono_literals;
using namespace std::string_literals;

// The user: answers each request for a list with the next scripted path (an
// empty one cancels the chooser) and records the messages shown.
class ScriptedUser : public ListChooser, public MessagePresenter {
 public:
  explicit ScriptedUser(QStringList answers) : answers_(answers) {}
  std::optional<QString> ChooseList(QWidget*,
                                    const QString& start_folder) override {
    start_folders.append(start_folder);
    const QString answer = answers_.isEmpty() ? "" : answers_.takeFirst();
    return answer.isEmpty() ? std::nullopt : std::optional(answer);
  }
  void ShowMessage(QWidget*, const QString& title,
                   const QString& text) override {
    titles.append(title);
    texts.append(text);
  }
  QStringList start_folders, titles, texts;

 private:
  QStringList answers_;
};

// A window over `file_system`, shown, whose user answers `answers`.
struct Window {
  Window(FileSystem& file_system, QStringList answers, RunTiming timing = {})
      : user(answers), form({user, user, file_system, timing}) {
    form.show();
  }
  void Click(const char* button) {
    QTest::mouseClick(form.findChild<QPushButton*>(button), Qt::LeftButton);
  }
  QString Caption() const {
    return form.findChild<PathLabel*>("lblPath")->caption();
  }

  ScriptedUser user;
  Form1 form;
};

QByteArray Bytes(const std::string& bytes) {
  return QByteArray::fromStdString(bytes);
}

// `folder`/l.txt holding `list`, the member a.dat, and outputs of an
// earlier run beside them. Returns every file's path.
std::vector<std::string> AddEarlierOutputs(FakeFileSystem& fs,
                                           const std::string& folder,
                                           const std::string& list) {
  fs.AddFile(folder + "/l.txt", list);
  fs.AddFile(folder + "/a.dat", std::string(154, 'm'));
  fs.AddFile(folder + "/out.bin", "earlier image");
  fs.AddFile(folder + "/report.txt", "earlier report");
  return fs.FilePaths();
}

// Starts the run, holds it at its first read (that of the list) and, from
// within the run's event loop, calls `action` as soon as `ready` holds; then
// lets the run go on.
void StartHeldRun(Window& window, FakeFileSystem& fs,
                  std::function<bool()> ready, std::function<void()> action) {
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  fs.before_each = [released](Op op, const std::string&) {
    if (op == Op::kRead) released.wait_for(10s);
  };
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (!ready()) return;
    poll.stop();
    action();
    release.set_value();
  });
  poll.start(5);
  window.Click("cmdStart");
}

}  // namespace

class Form1Test : public QObject {
  Q_OBJECT

 private slots:
  void ControlsSitWhereExpected() {
    FakeFileSystem fs;
    Window window(fs, {});
    QCOMPARE(window.form.windowTitle(), QString("Mirlot utility"));
    QCOMPARE(window.form.size(), QSize(406, 125));
    const struct {
      const char* name;
      QRect place;
      const char* caption;
    } controls[] = {{"lblPath", {8, 16, 313, 57}, "Path"},
                    {"cmdPath", {328, 16, 65, 57}, "..."},
                    {"cmdStart", {160, 88, 73, 25}, "Start"}};
    for (const auto& c : controls) {
      auto* control = window.form.findChild<QWidget*>(c.name);
      QVERIFY2(control != nullptr, c.name);
      QCOMPARE(control->geometry(), c.place);
      QCOMPARE(control->property("text").toString(), QString(c.caption));
    }
    QCOMPARE(window.form.findChild<QWidget*>("cmdPath")->nextInFocusChain(),
             window.form.findChild<QWidget*>("cmdStart"));
  }

  // Choices ("" cancels the chooser), then Start: the caption, where the
  // chooser opened, the messages in order, and which folder's out.bin was
  // replaced (none when the run ends without new outputs).
  void StartRunsWithTheLastSuccessfulChoice() {
    const QString deep = "/d" + QString("/a-long-folder-name").repeated(16);
    const QString empty_list = "Не найдено ни одного файла";
    // Lists: good in /d, /e and `deep`; a missing member in /f; empty in /g.
    const std::pair<QString, std::string> folders[] = {{"/d", "a.dat"},
                                                       {"/e", "a.dat"},
                                                       {deep, "a.dat"},
                                                       {"/f", "a.dat\nb.dat"},
                                                       {"/g", ""}};
    const struct {
      QStringList answers;
      QString caption;
      QStringList start_folders;
      QStringList messages;
      QString replaced;
    } rows[] = {
        {{}, "Path", {}, {"No file selected"}, ""},
        {{"/d/l.txt", ""}, "/d/l.txt", {"", "/d"}, {"Done"}, "/d"},
        {{"/d/l.txt", "/e/l.txt"}, "/e/l.txt", {"", "/d"}, {"Done"}, "/e"},
        {{deep + "/l.txt"}, deep + "/l.txt", {""}, {"Done"}, deep},
        {{"/f/l.txt"}, "/f/l.txt", {""}, {"Ошибка 53File not found"}, ""},
        {{"/g/l.txt"}, "/g/l.txt", {""}, {empty_list, "Done"}, ""},
    };
    for (const auto& row : rows) {
      FakeFileSystem fs;
      for (const auto& [folder, list] : folders) {
        AddEarlierOutputs(fs, folder.toStdString(), list);
      }
      const std::vector<std::string> before = fs.FilePaths();
      Window window(fs, row.answers);
      for (qsizetype k = 0; k < row.answers.size(); ++k) {
        window.Click("cmdPath");
      }
      window.Click("cmdStart");
      QCOMPARE(window.Caption(), row.caption);
      QCOMPARE(window.form.list_chosen(), row.caption != "Path");
      QCOMPARE(window.user.start_folders, row.start_folders);
      QCOMPARE(window.user.texts, row.messages);
      QCOMPARE(window.user.titles,
               QStringList(row.messages.size(), "Mirlot utility"));
      for (const auto& [folder, list] : folders) {
        const std::string image = fs.Content(folder.toStdString() + "/out.bin");
        QCOMPARE(image != "earlier image", folder == row.replaced);
      }
      QVERIFY(fs.FilePaths() == before);
      QVERIFY(row.caption != "Path" || fs.calls().empty());
    }
  }

  // The worked example of two members, packed on the host's file system.
  void EndToEndRunWritesBesideTheChosenList() {
    TempFolder folder;
    folder.Write("one.dat",
                 std::string(50, 'a') + std::string(100, 'b') + "cccc");
    folder.Write("two.dat",
                 std::string(50, 'd') + std::string(200, 'e') + "ffff");
    folder.Write("list.txt", "one.dat\r\ntwo.dat\r\n");
    Window window(HostFileSystem(),
                  {QString::fromStdString(folder.Path("list.txt"))});
    window.Click("cmdPath");
    window.Click("cmdStart");
    QCOMPARE(window.user.texts, QStringList{"Done"});
    QCOMPARE(Bytes(folder.Read("out.bin")),
             Bytes("\0\0\0\x10\0\0\0\x64\0\0\0\x74\0\0\0\xC8"s +
                   std::string(100, 'b') + std::string(200, 'e')));
  }

  void WindowTakesNoInputWhileRunWorks() {
    FakeFileSystem fs;
    AddEarlierOutputs(fs, "/d", "a.dat");
    Window window(fs, {"/d/l.txt", "/e/l.txt"},
                  {.progress_delay = std::chrono::hours(1)});
    window.Click("cmdPath");
    bool closed = true;
    StartHeldRun(
        window, fs, [] { return true; },
        [&] {
          window.Click("cmdPath");
          window.Click("cmdStart");
          closed = window.form.close();
        });
    QVERIFY(!closed);
    QVERIFY(window.form.isVisible());
    QCOMPARE(window.user.start_folders.size(), 1);
    QCOMPARE(window.Caption(), QString("/d/l.txt"));
    QCOMPARE(window.user.texts, QStringList{"Done"});
  }

  void CancelInProgressDialogLeavesEverythingUntouched() {
    FakeFileSystem fs;
    const std::vector<std::string> before =
        AddEarlierOutputs(fs, "/d", "a.dat");
    Window window(fs, {"/d/l.txt"}, {.progress_delay = 0ms});
    window.Click("cmdPath");
    auto dialog = [&] {
      return window.form.findChild<ProgressDialog*>("progressDialog");
    };
    QString dialog_title;
    StartHeldRun(
        window, fs,
        [&] { return dialog() != nullptr && dialog()->isVisible(); },
        [&] {
          dialog_title = dialog()->windowTitle();
          QTest::mouseClick(dialog()->findChild<QPushButton*>("cancelButton"),
                            Qt::LeftButton);
        });
    QCOMPARE(dialog_title, QString("Mirlot utility"));
    QCOMPARE(window.user.texts, QStringList{});
    QVERIFY(dialog() == nullptr);
    QCOMPARE(Bytes(fs.Content("/d/out.bin")), QByteArray("earlier image"));
    QCOMPARE(Bytes(fs.Content("/d/report.txt")), QByteArray("earlier report"));
    QVERIFY(fs.FilePaths() == before);
  }
};

}  // namespace mirlot

QTEST_MAIN(mirlot::Form1Test)
#include "form1_test.moc"
