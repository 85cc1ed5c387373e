// The real message box and file chooser, driven from inside their own
// modal loops, and the fitting of long paths into the path label.
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "support/temp_folder.h"
#include "window/list_chooser.h"
#include "window/message_presenter.h"
#include "window/path_label.h"

namespace mirlot {
namespace {

// Runs `inspect` on the modal dialog once it is up; it must close it.
template <typename Dialog>
void WhenModal(std::function<void(Dialog&)> inspect) {
  QTimer::singleShot(0, [inspect] {
    auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
    QVERIFY(dialog != nullptr);
    inspect(*dialog);
  });
}

}  // namespace

class WindowPartsTest : public QObject {
  Q_OBJECT

 private slots:
  void MessageBoxHasOneOkAndNoIcon() {
    QStringList seen;
    WhenModal<QMessageBox>([&seen](QMessageBox& box) {
      seen << box.windowTitle() << box.text()
           << QString::number(box.buttons().size())
           << QString::number(box.standardButton(box.buttons().first()))
           << QString::number(box.icon()) << QString::number(box.textFormat())
           << (box.buttons().first()->icon().isNull() ? "plain" : "icon");
      box.buttons().first()->click();
    });
    MessageBoxPresenter().ShowMessage(nullptr, "Mirlot utility",
                                      "Файл # 1 <b>не</b> существует!");
    QCOMPARE(seen,
             (QStringList{"Mirlot utility", "Файл # 1 <b>не</b> существует!",
                          "1", QString::number(QMessageBox::Ok),
                          QString::number(QMessageBox::NoIcon),
                          QString::number(Qt::PlainText), "plain"}));
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
    const struct {
      QString path;
      bool shortened;
    } rows[] = {{"/d/list.txt", false},
                {"/home/user/lists/for/packing/today/and/tomorrow/and/the/day/"
                 "after/list.txt",
                 false},
                {"/home" + QString("/folder").repeated(60) + "/list.txt", true},
                {QString("Ж").repeated(400) + ".txt", true}};
    for (const auto& row : rows) {
      PathLabel label("Path");
      label.resize(313, 57);
      label.SetCaption(row.path);
      QCOMPARE(label.caption(), row.path);
      QCOMPARE(label.toolTip(), row.shortened ? row.path : QString());
      const QStringList lines = label.text().split(u'\n');
      QVERIFY2(
          lines.size() * label.fontMetrics().lineSpacing() <= label.height(),
          qPrintable(label.text()));
      for (const QString& line : lines) {
        QVERIFY2(label.fontMetrics().horizontalAdvance(line) <= label.width(),
                 qPrintable(line));
      }
      const QString joined = lines.join(QString());
      QCOMPARE(joined.contains(QChar(0x2026)), row.shortened);
      QVERIFY(joined.startsWith(row.path.left(2)) && joined.endsWith(".txt"));
      if (!row.shortened) QCOMPARE(joined, row.path);
      if (lines.size() > 1 && !row.shortened) {
        QVERIFY2(lines.first().endsWith('/'), qPrintable(lines.first()));
      }
    }
  }
};

}  // namespace mirlot

QTEST_MAIN(mirlot::WindowPartsTest)
#include "window_parts_test.moc"
