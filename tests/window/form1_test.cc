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

// /d/list.txt holding `list`, the member /d/a.dat, and outputs of an earlier
// run beside them. Returns every file's path.
std::vector<std::string> AddEarlierOutputs(FakeFileSystem& fs,
                                           const std::string& list) {
  fs.AddFile("/d/list.txt", list);
  fs.AddFile("/d/a.dat", std::string(154, 'm'));
  fs.AddFile("/d/out.bin", "earlier image");
  fs.AddFile("/d/report.txt", "earlier report");
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
  void FreshWindowOnlySaysNoFileSelected() {
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
    window.Click("cmdStart");
    QCOMPARE(window.user.texts, QStringList{"No file selected"});
    QCOMPARE(window.user.titles, QStringList{"Mirlot utility"});
    QCOMPARE(window.Caption(), QString("Path"));
    QVERIFY(!window.form.list_chosen());
    QVERIFY(fs.calls().empty());
  }

  // Choose then cancel, choose twice, and a path too long to show whole.
  void RunUsesTheLastSuccessfulChoice() {
    const QString deep =
        "/d" + QString("/a-rather-long-folder-name").repeated(12);
    const struct {
      QStringList answers;
      QString used;
      QString unused;
      QStringList start_folders;
    } rows[] = {{{"/d/list.txt", ""}, "/d", "/e", {"", "/d"}},
                {{"/d/list.txt", "/e/list.txt"}, "/e", "/d", {"", "/d"}},
                {{deep + "/list.txt"}, deep, "/d", {""}}};
    for (const auto& row : rows) {
      FakeFileSystem fs;
      for (const QString& folder : {row.used, row.unused}) {
        fs.AddFile(folder.toStdString() + "/list.txt", "a.dat\r\n");
        fs.AddFile(folder.toStdString() + "/a.dat", std::string(154, 'm'));
      }
      Window window(fs, row.answers);
      for (qsizetype k = 0; k < row.answers.size(); ++k) {
        window.Click("cmdPath");
      }
      QCOMPARE(window.Caption(), row.used + "/list.txt");
      QVERIFY(window.form.list_chosen());
      window.Click("cmdStart");
      QCOMPARE(window.user.texts, QStringList{"Done"});
      QVERIFY(fs.Exists((row.used + "/out.bin").toStdString()));
      QVERIFY(!fs.Exists((row.unused + "/out.bin").toStdString()));
      QCOMPARE(window.user.start_folders, row.start_folders);
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

  // Runs that do not end with "Done" alone: each message shows, in order.
  void RunWithoutNewOutputsKeepsEarlierOnes() {
    const struct {
      std::string list;
      QStringList messages;
    } rows[] = {{"a.dat\r\nb.dat", {"Ошибка 53File not found"}},
                {"", {"Не найдено ни одного файла", "Done"}}};
    for (const auto& row : rows) {
      FakeFileSystem fs;
      const std::vector<std::string> before = AddEarlierOutputs(fs, row.list);
      Window window(fs, {"/d/list.txt"});
      window.Click("cmdPath");
      window.Click("cmdStart");
      QCOMPARE(window.user.texts, row.messages);
      QCOMPARE(Bytes(fs.Content("/d/out.bin")), QByteArray("earlier image"));
      QVERIFY(fs.FilePaths() == before);
    }
  }

  void WindowTakesNoInputWhileRunWorks() {
    FakeFileSystem fs;
    AddEarlierOutputs(fs, "a.dat");
    Window window(fs, {"/d/list.txt", "/e/list.txt"},
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
    QCOMPARE(window.Caption(), QString("/d/list.txt"));
    QCOMPARE(window.user.texts, QStringList{"Done"});
  }

  void CancelInProgressDialogLeavesEverythingUntouched() {
    FakeFileSystem fs;
    const std::vector<std::string> before = AddEarlierOutputs(fs, "a.dat");
    Window window(fs, {"/d/list.txt"}, {.progress_delay = 0ms});
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
