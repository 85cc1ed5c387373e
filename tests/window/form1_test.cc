// The Qt window: the shared user scenarios, the real message
// box and file chooser (driven from inside their own modal loops) and the
// fitting of long paths into the path label.
#include "window/form1.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QtTest>
#include <memory>
#include <string>

#include "support/temp_folder.h"
#include "window/list_chooser.h"
#include "window/message_presenter.h"
#include "window/path_label.h"
#include "window/progress_dialog.h"
#include "window_scenarios.h"

namespace mirlot {
namespace {

struct QtWindow : WindowDriver {
  QtWindow(FileSystem& file_system, RunTiming timing = {})
      : form({user_, user_, file_system, timing}) {
    form.show();
  }
  UserRecord& user() override { return user_; }
  void Click(bool start) override {
    auto* button = form.findChild<QPushButton*>(start ? "cmdStart" : "cmdPath");
    QTest::mouseClick(button, Qt::LeftButton);
  }
  void Drop(const std::vector<std::string>& paths) override {
    QMimeData data;
    QList<QUrl> urls;
    for (const std::string& path : paths)
      urls << QUrl::fromLocalFile(path.c_str());
    data.setUrls(urls);
    QDragEnterEvent enter({200, 50}, Qt::CopyAction, &data, Qt::NoButton,
                          Qt::NoModifier);
    QDropEvent drop(QPointF(200, 50), Qt::CopyAction, &data, Qt::NoButton,
                    Qt::NoModifier);
    QApplication::sendEvent(&form, &enter);
    QApplication::sendEvent(&form, &drop);
  }
  void Close() override { form.close(); }
  std::string Caption() override {
    auto* label = form.findChild<PathLabel*>("lblPath");
    return form.isVisible() ? label->caption().toStdString() : "";
  }
  std::string Progress(bool cancel) override {
    auto* dialog = form.findChild<ProgressDialog*>("progressDialog");
    if (dialog == nullptr || !dialog->isVisible()) return "";
    const std::string title = dialog->windowTitle().toStdString();
    auto* button = dialog->findChild<QPushButton*>("cancelButton");
    if (cancel) QTest::mouseClick(button, Qt::LeftButton);
    return title;
  }
  void Poll(std::function<bool()> tick) override {
    auto* poll = new QTimer(&form);
    QObject::connect(poll, &QTimer::timeout, [poll, tick] {
      if (tick()) poll->deleteLater();
    });
    poll->start(5);
  }

  ScriptedUser<QWidget*> user_;
  Form1 form;
};

// Runs `inspect` on the modal dialog once it is up; it must close it.
template <typename Dialog, typename Inspect>
void WhenModal(Inspect inspect) {
  QTimer::singleShot(0, [inspect] {
    inspect(*qobject_cast<Dialog*>(QApplication::activeModalWidget()));
  });
}

}  // namespace

class Form1Test : public QObject {
  Q_OBJECT

 private slots:
  void UserScenarios() {
    for (const Scenario& row : kScenarios) {
      const std::string problems = Play(row, [](FileSystem& fs, RunTiming t) {
        return std::make_unique<QtWindow>(fs, t);
      });
      QVERIFY2(problems.empty(), (row.steps + ":" + problems).c_str());
    }
  }

  void MessageBoxHasOneOkAndNoIcon() {
    QString seen;
    WhenModal<QMessageBox>([&seen](QMessageBox& box) {
      QAbstractButton* ok = box.buttons().first();
      const bool plain = box.buttons().size() == 1 && ok->icon().isNull() &&
                         box.standardButton(ok) == QMessageBox::Ok &&
                         box.icon() == QMessageBox::NoIcon &&
                         box.textFormat() == Qt::PlainText;
      seen = box.windowTitle() + "|" + box.text() + (plain ? "|plain" : "");
      ok->click();
    });
    MessageBoxPresenter().ShowMessage(nullptr, "Mirlot utility",
                                      "Файл # 1 <b>не</b> существует!");
    QCOMPARE(seen, "Mirlot utility|Файл # 1 <b>не</b> существует!|plain");
  }

  // The chooser opens in the folder given, with the one filter; accepted,
  // it gives the full path, cancelled, nothing.
  void ChooserOffersListFilterAndGivesFullPath() {
    TempFolder folder;
    folder.Write("list.txt", "");
    const QString path = QString::fromStdString(folder.root().string());
    for (bool accept : {true, false}) {
      QStringList seen;
      WhenModal<QFileDialog>([&seen, accept](QFileDialog& dialog) {
        seen << dialog.directory().absolutePath() << dialog.nameFilters();
        dialog.selectFile("list.txt");
        accept ? static_cast<QDialog&>(dialog).accept() : dialog.reject();
      });
      QCOMPARE(FileDialogListChooser().ChooseList(nullptr, path.toStdString()),
               accept ? std::optional((path + "/list.txt").toStdString())
                      : std::nullopt);
      QCOMPARE(seen, (QStringList{path, "List of files *.txt (*.txt)"}));
    }
  }

  // A path that does not fit whole is shortened with an ellipsis and shown
  // whole in the tooltip; one that fits wraps after its separators.
  void LabelFitsPathsAndKeepsThemWhole() {
    const QString paths[] = {
        "/d/list.txt",
        "/home/user/lists/for/packing/today/and/tomorrow/and/the/day/after/"
        "list.txt",
        "/home" + QString("/folder").repeated(60) + "/list.txt",
        QString("Ж").repeated(400) + ".txt"};
    for (const QString& path : paths) {
      const bool shortened = path.size() > 100;
      PathLabel label("Path");
      label.resize(313, 57);
      label.SetCaption(path);
      QCOMPARE(label.caption(), path);
      QCOMPARE(label.toolTip(), shortened ? path : QString());
      const QStringList lines = label.text().split(u'\n');
      const QFontMetrics metrics = label.fontMetrics();
      QVERIFY(lines.size() * metrics.lineSpacing() <= label.height());
      for (const QString& line : lines) {
        QVERIFY2(metrics.horizontalAdvance(line) <= label.width(),
                 qPrintable(line));
      }
      // Whole paths break after a separator; shortened ones keep the end.
      const QString joined = lines.join(QString());
      QCOMPARE(joined.contains(QChar(0x2026)), shortened);
      QVERIFY(shortened ? joined.endsWith(".txt")
                        : joined == path && (lines.size() == 1 ||
                                             lines.first().endsWith('/')));
    }
  }
};

}  // namespace mirlot

QTEST_MAIN(mirlot::Form1Test)
#include "form1_test.moc"
