// The real message box and file chooser, driven from inside their own
// modal loops, and the fitting of long paths into the path label.
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>

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

  void ChooserOffersListFilterAndCancelGivesNothing() {
    QStringList filters;
    WhenModal<QFileDialog>([&filters](QFileDialog& dialog) {
      filters = dialog.nameFilters();
      dialog.reject();
    });
    QCOMPARE(FileDialogListChooser().ChooseList(nullptr, QString()),
             std::optional<QString>());
    QCOMPARE(filters, QStringList{"List of files *.txt (*.txt)"});
  }

  void ChooserReturnsFullPathFromStartFolder() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QFile list(folder.filePath("list.txt"));
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.close();
    QString shown_folder;
    WhenModal<QFileDialog>([&shown_folder](QFileDialog& dialog) {
      shown_folder = dialog.directory().absolutePath();
      dialog.selectFile("list.txt");
      static_cast<QDialog&>(dialog).accept();
    });
    const std::optional<QString> chosen =
        FileDialogListChooser().ChooseList(nullptr, folder.path());
    QCOMPARE(shown_folder, QDir(folder.path()).absolutePath());
    QCOMPARE(chosen, std::optional<QString>(folder.filePath("list.txt")));
  }

  void PathsFitTheLabel_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("shortened");
    QTest::newRow("short") << "/d/list.txt" << false;
    QTest::newRow("wraps after separators")
        << "/home/user/lists/for/packing/today/list.txt" << false;
    QTest::newRow("long") << "/home" + QString("/folder").repeated(60) +
                                 "/list.txt"
                          << true;
    QTest::newRow("long without separators")
        << QString("Ж").repeated(400) + ".txt" << true;
  }

  void PathsFitTheLabel() {
    QFETCH(QString, path);
    QFETCH(bool, shortened);
    const QFontMetrics metrics(QApplication::font());
    const int width = metrics.horizontalAdvance("/home/user/lists/");
    const QStringList lines =
        FitPathToLines(path, metrics, width, 3).split(u'\n');
    QVERIFY(lines.size() <= 3);
    for (const QString& line : lines) {
      QVERIFY2(metrics.horizontalAdvance(line) <= width, qPrintable(line));
    }
    const QString joined = lines.join(QString());
    QCOMPARE(joined != path, shortened);
    QCOMPARE(joined.contains(QChar(0x2026)), shortened);
    QVERIFY(joined.startsWith(path.left(2)));
    QVERIFY(joined.endsWith(".txt"));
    if (!shortened && lines.size() > 1) {
      QVERIFY2(lines.first().endsWith('/'), qPrintable(lines.first()));
    }
  }

  void LabelKeepsFullPathAsCaptionAndTooltip() {
    PathLabel label("Path");
    label.resize(313, 57);
    QCOMPARE(label.text(), QString("Path"));
    const QString long_path =
        "/srv" + QString("/archive").repeated(40) + "/x.txt";
    label.SetCaption(long_path);
    QCOMPARE(label.caption(), long_path);
    QCOMPARE(label.toolTip(), long_path);
    QVERIFY(label.text().contains(QChar(0x2026)));
    label.SetCaption("/d/list.txt");
    QCOMPARE(label.text(), QString("/d/list.txt"));
    QCOMPARE(label.toolTip(), QString());
  }
};

}  // namespace mirlot

QTEST_MAIN(mirlot::WindowPartsTest)
#include "window_parts_test.moc"
