// The window over a scripted chooser, a recording message presenter and,
// mostly, the in-memory file system.
#include "window/form1.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include "runtime/fake_file_system.h"
#include "window/path_label.h"
#include "window/progress_dialog.h"

namespace mirlot {
namespace {

using Op = FakeFileSystem::Op;
using namespace std::chrono_literals;

// Answers each request for a list with the next scripted path; an empty
// string stands for a cancelled chooser.
class ScriptedChooser : public ListChooser {
 public:
  explicit ScriptedChooser(QStringList answers) : answers_(answers) {}

  std::optional<QString> ChooseList(QWidget*,
                                    const QString& start_folder) override {
    start_folders.append(start_folder);
    const QString answer =
        answers_.isEmpty() ? QString() : answers_.takeFirst();
    if (answer.isEmpty()) return std::nullopt;
    return answer;
  }

  QStringList start_folders;

 private:
  QStringList answers_;
};

class RecordingPresenter : public MessagePresenter {
 public:
  void ShowMessage(QWidget*, const QString& title,
                   const QString& text) override {
    titles.append(title);
    texts.append(text);
  }

  QStringList titles;
  QStringList texts;
};

// A window over the given file system, shown, with its controls at hand.
class Window {
 public:
  Window(FileSystem& file_system, QStringList answers, RunTiming timing = {})
      : chooser_(answers),
        form_({.chooser = chooser_,
               .presenter = presenter_,
               .file_system = file_system,
               .timing = timing}) {
    form_.show();
  }

  void Click(const char* button) {
    QTest::mouseClick(form_.findChild<QPushButton*>(button), Qt::LeftButton);
  }
  QString Caption() const {
    return form_.findChild<PathLabel*>("lblPath")->caption();
  }
  Form1& form() { return form_; }
  ScriptedChooser& chooser() { return chooser_; }
  RecordingPresenter& presenter() { return presenter_; }

 private:
  ScriptedChooser chooser_;
  RecordingPresenter presenter_;
  Form1 form_;
};

// A member of 154 bytes: 50 leading, 100 payload and 4 trailing bytes.
const std::string kMember =
    std::string(50, 'h') + std::string(100, 'p') + std::string(4, 't');
// Its image: one table entry (offset 8, length 100), then the payload.
const std::string kImage =
    std::string("\0\0\0\x08\0\0\0\x64", 8) + std::string(100, 'p');

QByteArray Bytes(const std::string& bytes) {
  return QByteArray::fromStdString(bytes);
}

void AddListFolder(FakeFileSystem& fs, const std::string& folder) {
  fs.AddFile(folder + "/list.txt", "a.dat\r\n");
  fs.AddFile(folder + "/a.dat", kMember);
}

// Holds the run at its first read (that of the list) until the test releases
// it, so that the test can act while the run is known to be working.
class ReadGate {
 public:
  explicit ReadGate(FakeFileSystem& fs) : opened_(released_.get_future()) {
    fs.before_each = [this](Op op, const std::string&) {
      if (op == Op::kRead) opened_.wait_for(10s);
    };
  }
  void Release() {
    if (!released_once_) released_.set_value();
    released_once_ = true;
  }

 private:
  std::promise<void> released_;
  std::shared_future<void> opened_;
  bool released_once_ = false;
};

// Calls `action` on this thread, from within the run's event loop, as soon
// as `ready` holds.
void WhenReady(QTimer& poll, std::function<bool()> ready,
               std::function<void()> action) {
  QObject::connect(&poll, &QTimer::timeout, [&poll, ready, action] {
    if (!ready()) return;
    poll.stop();
    action();
  });
  poll.start(5);
}

}  // namespace

class Form1Test : public QObject {
  Q_OBJECT

 private slots:
  void ControlsSitWhereExpected_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("place");
    QTest::addColumn<QString>("caption");
    QTest::newRow("lblPath") << "lblPath" << QRect(8, 16, 313, 57) << "Path";
    QTest::newRow("cmdPath") << "cmdPath" << QRect(328, 16, 65, 57) << "...";
    QTest::newRow("cmdStart")
        << "cmdStart" << QRect(160, 88, 73, 25) << "Start";
  }

  void ControlsSitWhereExpected() {
    QFETCH(QString, name);
    QFETCH(QRect, place);
    QFETCH(QString, caption);
    FakeFileSystem fs;
    Window window(fs, {});
    QCOMPARE(window.form().windowTitle(), QString("Mirlot utility"));
    QCOMPARE(window.form().size(), QSize(406, 125));
    auto* control = window.form().findChild<QWidget*>(name);
    QVERIFY(control != nullptr);
    QCOMPARE(control->geometry(), place);
    QCOMPARE(control->property("text").toString(), caption);
    auto* path = window.form().findChild<QPushButton*>("cmdPath");
    QCOMPARE(path->nextInFocusChain(),
             window.form().findChild<QPushButton*>("cmdStart"));
  }

  void FreshStartOnlySaysNoFileSelected() {
    FakeFileSystem fs;
    Window window(fs, {});
    window.Click("cmdStart");
    QCOMPARE(window.presenter().texts, QStringList{"No file selected"});
    QCOMPARE(window.presenter().titles, QStringList{"Mirlot utility"});
    QCOMPARE(window.Caption(), QString("Path"));
    QVERIFY(!window.form().list_chosen());
    QVERIFY(fs.calls().empty());
  }

  void RunUsesTheLastSuccessfulChoice_data() {
    const QString deep =
        "/d" + QString("/a-rather-long-folder-name").repeated(12);
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("image");
    QTest::addColumn<QString>("untouched");
    QTest::addColumn<QStringList>("start_folders");
    QTest::newRow("choose, then cancel")
        << QStringList{"/d/list.txt", ""} << "/d/list.txt"
        << "/d/out.bin"
        << "/e/out.bin" << QStringList{"", "/d"};
    QTest::newRow("choose twice")
        << QStringList{"/d/list.txt", "/e/list.txt"} << "/e/list.txt"
        << "/e/out.bin"
        << "/d/out.bin" << QStringList{"", "/d"};
    QTest::newRow("a path too long to show whole")
        << QStringList{deep + "/list.txt"} << deep + "/list.txt"
        << deep + "/out.bin"
        << "/d/out.bin" << QStringList{""};
  }

  void RunUsesTheLastSuccessfulChoice() {
    QFETCH(QStringList, answers);
    QFETCH(QString, caption);
    QFETCH(QString, image);
    QFETCH(QString, untouched);
    QFETCH(QStringList, start_folders);
    FakeFileSystem fs;
    AddListFolder(fs, "/d");
    AddListFolder(fs, "/e");
    AddListFolder(fs, QFileInfo(caption).path().toStdString());
    Window window(fs, answers);
    for (qsizetype k = 0; k < answers.size(); ++k) window.Click("cmdPath");
    QCOMPARE(window.Caption(), caption);
    QVERIFY(window.form().list_chosen());
    window.Click("cmdStart");
    QCOMPARE(window.presenter().texts, QStringList{"Done"});
    QCOMPARE(Bytes(fs.Content(image.toStdString())), Bytes(kImage));
    QVERIFY(!fs.Exists(untouched.toStdString()));
    QCOMPARE(window.chooser().start_folders, start_folders);
  }

  void EndToEndRunWritesBesideTheChosenList() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    WriteFile(
        folder.filePath("one.dat"),
        std::string(50, 'a') + std::string(100, 'b') + std::string(4, 'c'));
    WriteFile(
        folder.filePath("two.dat"),
        std::string(50, 'd') + std::string(200, 'e') + std::string(4, 'f'));
    WriteFile(folder.filePath("list.txt"), "one.dat\r\ntwo.dat\r\n");
    Window window(HostFileSystem(), {folder.filePath("list.txt")});
    window.Click("cmdPath");
    window.Click("cmdStart");
    QCOMPARE(window.presenter().texts, QStringList{"Done"});
    QCOMPARE(Bytes(ReadFile(folder.filePath("out.bin"))),
             Bytes(std::string("\0\0\0\x10\0\0\0\x64\0\0\0\x74\0\0\0\xC8", 16) +
                   std::string(100, 'b') + std::string(200, 'e')));
    QCOMPARE(Bytes(ReadFile(folder.filePath("report.txt"))),
             Bytes("#,            Name,          Offset,       Size\r\n"
                   " 1            one.dat        16            100\r\n"
                   " 2            two.dat        116           200\r\n"));
  }

  // Runs that do not end with "Done" alone; each message shows, in order.
  void RunWithoutNewOutputsKeepsEarlierOnes_data() {
    QTest::addColumn<int>("op");
    QTest::addColumn<int>("failure");
    QTest::addColumn<QString>("list");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("disk full") << int(Op::kClose) << 61 << "a.dat"
                               << QStringList{"Ошибка 61Disk full"};
    QTest::newRow("folder not writable")
        << int(Op::kCreateTemporary) << 70 << "a.dat"
        << QStringList{"Ошибка 70Permission denied"};
    QTest::newRow("member missing")
        << 0 << 0 << "a.dat\r\nb.dat" << QStringList{"Ошибка 53File not found"};
    QTest::newRow("member is a folder")
        << 0 << 0 << "a.dat\r\nsub" << QStringList{"Файл # 1 не существует!"};
    QTest::newRow("empty list")
        << 0 << 0 << "" << QStringList{"Не найдено ни одного файла", "Done"};
  }

  void RunWithoutNewOutputsKeepsEarlierOnes() {
    QFETCH(int, op);
    QFETCH(int, failure);
    QFETCH(QString, list);
    QFETCH(QStringList, messages);
    FakeFileSystem fs;
    AddFilesWithEarlierOutputs(fs, list.toStdString());
    const std::vector<std::string> before = fs.FilePaths();
    if (failure != 0) {
      fs.FailOn(static_cast<Op>(op), "",
                Status(static_cast<FailureCode>(failure)));
    }
    Window window(fs, {"/d/list.txt"});
    window.Click("cmdPath");
    window.Click("cmdStart");
    QCOMPARE(window.presenter().texts, messages);
    ExpectEarlierOutputs(fs, before);
  }

  void WindowTakesNoInputWhileRunWorks() {
    FakeFileSystem fs;
    AddListFolder(fs, "/d");
    ReadGate gate(fs);
    Window window(fs, {"/d/list.txt", "/e/list.txt"},
                  {.progress_delay = std::chrono::hours(1)});
    window.Click("cmdPath");
    bool closed = true;
    QTimer poll;
    WhenReady(
        poll, [] { return true; },
        [&] {
          window.Click("cmdPath");
          window.Click("cmdStart");
          closed = window.form().close();
          gate.Release();
        });
    window.Click("cmdStart");
    QVERIFY(!closed);
    QVERIFY(window.form().isVisible());
    QCOMPARE(window.chooser().start_folders.size(), 1);
    QCOMPARE(window.Caption(), QString("/d/list.txt"));
    QCOMPARE(window.presenter().texts, QStringList{"Done"});
  }

  void CancelInProgressDialogLeavesEverythingUntouched() {
    FakeFileSystem fs;
    AddFilesWithEarlierOutputs(fs, "a.dat");
    const std::vector<std::string> before = fs.FilePaths();
    ReadGate gate(fs);
    Window window(fs, {"/d/list.txt"}, {.progress_delay = 0ms});
    window.Click("cmdPath");
    QString dialog_title;
    QTimer poll;
    auto dialog = [&] {
      return window.form().findChild<ProgressDialog*>("progressDialog");
    };
    WhenReady(
        poll, [&] { return dialog() != nullptr && dialog()->isVisible(); },
        [&] {
          dialog_title = dialog()->windowTitle();
          QTest::mouseClick(dialog()->findChild<QPushButton*>("cancelButton"),
                            Qt::LeftButton);
          gate.Release();
        });
    window.Click("cmdStart");
    QCOMPARE(dialog_title, QString("Mirlot utility"));
    QCOMPARE(window.presenter().texts, QStringList{});
    QVERIFY(dialog() == nullptr);
    ExpectEarlierOutputs(fs, before);
  }

 private:
  static void WriteFile(const QString& path, const std::string& content) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content.data(), static_cast<qint64>(content.size()));
  }

  static std::string ReadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return "<missing>";
    return file.readAll().toStdString();
  }

  static void AddFilesWithEarlierOutputs(FakeFileSystem& fs,
                                         const std::string& list) {
    AddListFolder(fs, "/d");
    fs.AddFile("/d/list.txt", list);
    fs.AddFile("/d/out.bin", "earlier image");
    fs.AddFile("/d/report.txt", "earlier report");
    fs.AddFolder("/d/sub");
  }

  static void ExpectEarlierOutputs(const FakeFileSystem& fs,
                                   const std::vector<std::string>& before) {
    QCOMPARE(Bytes(fs.Content("/d/out.bin")), QByteArray("earlier image"));
    QCOMPARE(Bytes(fs.Content("/d/report.txt")), QByteArray("earlier report"));
    QVERIFY(fs.FilePaths() == before);
  }
};

}  // namespace mirlot

QTEST_MAIN(mirlot::Form1Test)
#include "form1_test.moc"
