// The Qt window plays the shared user scenarios, worked with the mouse, the
// keyboard and drag and drop.
#include "window/qt/form1.h"

#include <QAccessible>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QUrl>
#include <QtTest>
#include <algorithm>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "window/qt/application_icon.h"
#include "window/qt/image_window.h"
#include "window/qt/progress_dialog.h"
#include "window_scenarios.h"

namespace mirlot {
namespace {

struct QtWindow {
  QtWindow(FileSystem& file_system, RunTiming timing)
      : image({user, user, user, user, file_system, timing}),
        form({user, user, file_system, timing},
             [this](const std::string& path) {
               user.seen += "<image " + path + ">";
               if (!image.OpenImage(path)) return;
               image.show();
               image.activateWindow();
               (void)QTest::qWaitForWindowActive(&image);
             }) {
    user.box = ShowBox;
    form.show();
    form.activateWindow();
    (void)QTest::qWaitForWindowActive(&form);
  }
  void Click(const char* caption) {
    for (QPushButton* button : form.findChildren<QPushButton*>() +
                                   image.findChildren<QPushButton*>()) {
      if (button->text() == caption) QTest::mouseClick(button, Qt::LeftButton);
    }
  }
  void Key(char key) { QTest::keyClick(QApplication::focusWidget(), key); }
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
  std::string Look() {
    if (!image.isVisible()) return "";
    const QAbstractItemModel* rows = image.findChild<QTableView*>()->model();
    std::string look =
        image.windowTitle().toStdString() + "|" +
        image.findChild<QLabel*>("lblVerdict")->text().toStdString() + "|";
    for (int column = 0; rows->rowCount() > 0 && column < 4; ++column)
      look += rows->index(0, column).data().toString().toStdString() + " ";
    return look;
  }
  std::string Caption() {
    auto* label = form.findChild<QLabel*>("lblPath");
    return form.isVisible() ? label->text().remove(u'\n').toStdString() : "";
  }
  std::string Progress(bool cancel) {
    auto* dialog = form.findChild<QtProgressDialog*>();
    if (dialog == nullptr || !dialog->isVisible()) return "";
    auto* text = dialog->findChild<QLabel*>("progressText");
    std::string shown = dialog->windowTitle().toStdString() + ": " +
                        text->text().remove(u'\n').toStdString();
    if (!Whole(*dialog, *text)) shown += " (cut)";
    if (cancel) {
      QTest::mouseClick(dialog->findChild<QPushButton*>("cancelButton"),
                        Qt::LeftButton);
    }
    return shown;
  }
  // Whether `text` shows whole as Qt lays it out in its label, above the
  // bar of its `dialog`.
  static bool Whole(QDialog& dialog, QLabel& text) {
    const QRect needed = text.fontMetrics().boundingRect(
        QRect(0, 0, text.width(), 1 << 20), Qt::TextWordWrap, text.text());
    return needed.width() <= text.width() && needed.height() <= text.height() &&
           text.geometry().bottom() <
               dialog.findChild<QProgressBar*>()->geometry().top();
  }
  void Poll(std::function<bool()> tick) {
    auto* poll = new QTimer(&form);
    QObject::connect(poll, &QTimer::timeout, [poll, tick] {
      if (tick()) poll->deleteLater();
    });
    poll->start(5);
  }

  // Reads back the box on the screen once it shows, and presses its OK.
  static std::string ShowBox(QWidget* parent, const WindowMessage& message) {
    std::string seen;
    QTimer::singleShot(0, [&seen] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      seen =
          BoxSeen(box->windowTitle().toStdString(), box->text().toStdString(),
                  box->informativeText().toStdString(),
                  static_cast<int>(box->buttons().size()));
      box->button(QMessageBox::Ok)->click();
    });
    QtMessageBoxPresenter().ShowMessage(parent, message);
    return seen;
  }

  ScriptedUser<QWidget*> user;
  QtImageWindow image;
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

  // A frame named by its title for screen readers, not a filler.
  void AccessibleAsAWindow() {
    ScriptedUser<QWidget*> user;
    FakeFileSystem fs;
    QtForm1 form({user, user, fs}, [](const std::string&) {});
    QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(&form);
    QCOMPARE(shown->role(), QAccessible::Window);
    QCOMPARE(shown->text(QAccessible::Name), QStringLiteral("Mirlot utility"));
  }

  // With no display, none named or one out of reach, the program answers
  // its arguments or says in one line why no window opens, rather than
  // ending inside Qt, whose own lines about the display are left out here.
  void RunWithoutADisplay() {
    std::string seen;
    for (const auto& [display, argument] : {std::pair{"DISPLAY=", "l.txt"},
                                            {"DISPLAY=", "--bogus"},
                                            {"DISPLAY=:9999", "l.txt"}}) {
      const ChildResult run =
          RunChild({"/usr/bin/env", "-i", "QT_LOGGING_RULES=qt.*=false",
                    display, MIRLOT_GUI, argument});
      seen += std::to_string(run.exit_status) + " " + run.err;
    }
    const std::string use = "; use mirlot pack LIST on a console\n";
    // clang-format off
    QCOMPARE(QString::fromStdString(seen), QString::fromStdString("1 mirlot-gui: cannot open a display (neither DISPLAY nor WAYLAND_DISPLAY is set)" + use +
             "2 mirlot-gui: unknown option '--bogus'\nmirlot-gui: run 'mirlot-gui --help' for more information\n"
             "1 mirlot-gui: cannot open a display (Qt could not start its platform plugin)" + use));
    // clang-format on
  }

  // Built into the program at every size the packages install.
  void IconAtEverySize() {
    QList<QSize> sizes = ApplicationIcon().availableSizes();
    std::sort(sizes.begin(), sizes.end(),
              [](QSize a, QSize b) { return a.width() < b.width(); });
    // clang-format off
    QCOMPARE(sizes, (QList<QSize>{{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}}));
    // clang-format on
  }
};

}  // namespace mirlot

QTEST_MAIN(mirlot::Form1Test)
#include "form1_test.moc"
