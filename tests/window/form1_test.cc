// The Qt window: its layout and the shared user scenarios.
#include "window/form1.h"

#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QtTest>
#include <string>

#include "window/path_label.h"
#include "window/progress_dialog.h"
#include "window_scenarios.h"

namespace mirlot {
namespace {

class QtWindow : public WindowDriver {
 public:
  QtWindow(FileSystem& file_system, RunTiming timing = {})
      : form({user_, user_, file_system, timing}) {
    form.show();
  }
  UserRecord& user() override { return user_; }
  void Click(const std::string& button) override {
    QTest::mouseClick(form.findChild<QPushButton*>(button.c_str()),
                      Qt::LeftButton);
  }
  void Offer(const std::vector<std::string>& paths) override {
    QStringList offered;
    for (const std::string& path : paths) offered.append(path.c_str());
    form.OfferLists(offered);
  }
  void Drop(const std::vector<std::string>& paths) override {
    QMimeData data;
    QList<QUrl> urls;
    for (const std::string& path : paths) {
      urls.append(QUrl::fromLocalFile(QString::fromStdString(path)));
    }
    data.setUrls(urls);
    QDragEnterEvent enter({200, 50}, Qt::CopyAction, &data, Qt::NoButton,
                          Qt::NoModifier);
    QDropEvent drop(QPointF(200, 50), Qt::CopyAction, &data, Qt::NoButton,
                    Qt::NoModifier);
    QApplication::sendEvent(&form, &enter);
    QApplication::sendEvent(&form, &drop);
  }
  void Close() override { form.close(); }
  bool IsOpen() override { return form.isVisible(); }
  std::string Caption() override {
    return form.findChild<PathLabel*>("lblPath")->caption().toStdString();
  }
  bool ListChosen() override { return form.list_chosen(); }
  std::string ProgressTitle() override {
    auto* dialog = form.findChild<ProgressDialog*>("progressDialog");
    const bool shown = dialog != nullptr && dialog->isVisible();
    return shown ? dialog->windowTitle().toStdString() : "";
  }
  void CancelProgress() override {
    QTest::mouseClick(form.findChild<ProgressDialog*>("progressDialog")
                          ->findChild<QPushButton*>("cancelButton"),
                      Qt::LeftButton);
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

}  // namespace

class Form1Test : public QObject {
  Q_OBJECT

 private slots:
  void ControlsSitWhereExpected() {
    FakeFileSystem fs;
    QtWindow window(fs);
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

  void UserScenarios() {
    for (const Scenario& row : kScenarios) {
      const std::string problems =
          Play(row, [](FakeFileSystem& fs, RunTiming timing) {
            return std::make_unique<QtWindow>(fs, timing);
          });
      QVERIFY2(problems.empty(), (row.steps + ":" + problems).c_str());
    }
  }
};

}  // namespace mirlot

QTEST_MAIN(mirlot::Form1Test)
#include "form1_test.moc"
