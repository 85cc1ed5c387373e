// mirlot-gui: the desktop window. `mirlot-gui [LIST]`: a LIST that names an
// existing file is taken as the chosen list; an out.bin, a report.txt with
// an out.bin beside it, or --image FILE opens the image window alone;
// --help, --version and usage errors print and exit, before any display is
// needed.
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QPoint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/file_system.h"
#include "window/image_choice.h"
#include "window/qt/application_icon.h"
#include "window/qt/form1.h"
#include "window/qt/image_dialogs.h"
#include "window/qt/image_window.h"
#include "window/qt/list_chooser.h"
#include "window/qt/message_presenter.h"
#include "window/window_arguments.h"

namespace {

// Prints what `start` says and returns the exit status, or returns -1 when
// the window is to open.
int Answer(const mirlot::WindowStart& start) {
  using Kind = mirlot::WindowStart::Kind;
  if (start.kind == Kind::kWindow) return -1;
  const bool usage_error = start.kind == Kind::kUsageError;
  std::fputs(start.text.c_str(), usage_error ? stderr : stdout);
  return usage_error ? 2 : 0;
}

// Prints the line that says no window can open, and `why`; returns the
// exit status that goes with it.
int NoDisplay(const char* why) {
  std::fprintf(stderr,
               "mirlot-gui: cannot open a display (%s); use mirlot pack LIST "
               "on a console\n",
               why);
  return 1;
}

// Whether Qt may look for a display at all.
bool DisplayNamed() {
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

// Qt's own handler, which StartingMessages passes the other messages on to.
QtMessageHandler qt_messages = nullptr;

// Qt's messages while QApplication starts: a fatal one there is its
// platform failing to start (a display named but out of reach), after
// which Qt would abort.
void StartingMessages(QtMsgType type, const QMessageLogContext& context,
                      const QString& text) {
  if (type != QtFatalMsg) return qt_messages(type, context, text);
  std::_Exit(NoDisplay("Qt could not start its platform plugin"));
}

// The image the program is started with, as a full path: --image's FILE,
// or a LIST that names an image (ImageNamedBy); "" when none.
std::string StartImage(const mirlot::WindowStart& start,
                       mirlot::FileSystem& file_system) {
  const std::string& given = start.image.empty() ? start.list : start.image;
  if (given.empty()) return "";
  const std::string path =
      QFile::encodeName(
          QFileInfo(QString::fromStdString(given)).absoluteFilePath())
          .toStdString();
  if (!start.image.empty()) return path;
  return mirlot::ImageNamedBy(path, file_system).value_or("");
}

}  // namespace

int main(int argc, char** argv) {
  // Every argument is read before Qt starts, so that no answer needs a
  // display.
  const mirlot::WindowStart start = mirlot::ReadWindowArguments(
      std::vector<std::string>(argv + 1, argv + argc), MIRLOT_VERSION,
      /*slash_help=*/false);
  if (const int status = Answer(start); status >= 0) return status;
  if (!DisplayNamed()) {
    return NoDisplay("neither DISPLAY nor WAYLAND_DISPLAY is set");
  }
  // Qt sees the program's name alone: its own options were refused above.
  int qt_argc = 1;
  qt_messages = qInstallMessageHandler(StartingMessages);
  QApplication application(qt_argc, argv);
  qInstallMessageHandler(qt_messages);
  QApplication::setApplicationName(QStringLiteral("mirlot-gui"));
  QGuiApplication::setDesktopFileName(QStringLiteral("mirlot-gui"));
  QApplication::setWindowIcon(mirlot::ApplicationIcon());
  mirlot::QtFileDialogChooser chooser;
  mirlot::QtMessageBoxPresenter presenter;
  mirlot::QtFolderChooser folder_chooser;
  mirlot::QtQuestioner questioner;
  mirlot::FileSystem& file_system = mirlot::HostFileSystem();
  const mirlot::QtImageServices image_services = {
      chooser, folder_chooser, questioner, presenter, file_system};
  // Started with an image, its window alone shows; closing it ends the
  // program.
  if (const std::string image = StartImage(start, file_system);
      !image.empty()) {
    mirlot::QtImageWindow window(image_services);
    if (!window.OpenImage(image)) return 1;
    window.show();
    return QApplication::exec();
  }
  mirlot::QtForm1* form = nullptr;
  mirlot::QtImageWindow* beside = nullptr;  // one at a time, owned by form
  mirlot::QtForm1 window(
      {.chooser = chooser, .presenter = presenter, .file_system = file_system},
      [&](const std::string& image) {
        if (beside == nullptr) {
          beside = new mirlot::QtImageWindow(image_services, form);
          beside->move(form->frameGeometry().topRight() + QPoint(16, 0));
        }
        if (beside->OpenImage(image)) {
          beside->show();
          beside->raise();
          beside->activateWindow();
        }
      });
  form = &window;
  // Before the window shows: a refusal appears on its own, where the window
  // is yet to be placed.
  if (!start.list.empty()) {
    window.OfferArgument(QString::fromStdString(start.list));
  }
  window.show();
  return QApplication::exec();
}
