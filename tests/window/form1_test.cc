// The Qt window plays the shared user scenarios, worked with the mouse, the
// keyboard and drag and drop.
#include "window/qt/form1.h"

#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QtTest>
#include <algorithm>
#include <string>
#include <vector>

#include "window/qt/application_icon.h"
#include "window/qt/progress_dialog.h"
#include "window_scenarios.h"

namespace mirlot {
namespace {

struct QtWindow {
  QtWindow(FileSystem& file_system, RunTiming timing)
      : form({user, user, file_system, timing}) {
    form.show();
    form.activateWindow();
    (void)QTest::qWaitForWindowActive(&form);
  }
  void Click(bool start) {
    const char* name = start ? "cmdStart" : "cmdPath";
    QTest::mouseClick(form.findChild<QPushButton*>(name), Qt::LeftButton);
  }
  void Key(bool enter) {
    QTest::keyClick(form.focusWidget(), enter ? Qt::Key_Return : Qt::Key_Tab);
  }
  // Drops only what the window took as it entered.
  void Drop(const std::vector<std::string>& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const std::string& path : paths)
      urls << QUrl::fromLocalFile(QString::fromStdString(path));
    data.setUrls(urls);
    QDragEnterEvent enter({200, 50}, Qt::CopyAction, &data, Qt::NoButton,
                          Qt::NoModifier);
    QDropEvent drop({200, 50}, Qt::CopyAction, &data, Qt::NoButton,
                    Qt::NoModifier);
    QApplication::sendEvent(&form, &enter);
    if (enter.isAccepted()) QApplication::sendEvent(&form, &drop);
  }
  void Argue(const std::string& path) {
    form.OfferArgument(QString::fromStdString(path));
  }
  void Close() { form.close(); }
  std::string Caption() {
    auto* label = form.findChild<QLabel*>("lblPath");
    return form.isVisible() ? label->text().remove(u'\n').toStdString() : "";
  }
  std::string Progress(bool cancel) {
    auto* dialog = form.findChild<QtProgressDialog*>();
    if (dialog == nullptr || !dialog->isVisible()) return "";
    const std::string shown =
        dialog->windowTitle().toStdString() + ": " +
        dialog->findChild<QLabel*>("progressText")->text().toStdString();
    if (cancel) {
      QTest::mouseClick(dialog->findChild<QPushButton*>("cancelButton"),
                        Qt::LeftButton);
    }
    return shown;
  }
  void Poll(std::function<bool()> tick) {
    auto* poll = new QTimer(&form);
    QObject::connect(poll, &QTimer::timeout, [poll, tick] {
      if (tick()) poll->deleteLater();
    });
    poll->start(5);
  }

  ScriptedUser<QWidget*> user;
  QtForm1 form;
};

}  // namespace

class Form1Test : public QObject {
  Q_OBJECT

 private slots:
  void UserScenarios() {
    for (const Scenario& row : kScenarios) {
      const std::string problem = Play<QtWindow>(row);
      QVERIFY2(problem.empty(), problem.c_str());
    }
  }

  // Built into the program at every size the packages install.
  void IconAtEverySize() {
    QList<QSize> sizes = ApplicationIcon().availableSizes();
    std::sort(sizes.begin(), sizes.end(),
              [](QSize a, QSize b) { return a.width() < b.width(); });
    QCOMPARE(sizes, (QList<QSize>{{16, 16},
                                  {24, 24},
                                  {32, 32},
                                  {48, 48},
                                  {64, 64},
                                  {128, 128},
                                  {256, 256}}));
  }
};

}  // namespace mirlot

QTEST_MAIN(mirlot::Form1Test)
#include "form1_test.moc"
