// mirlot-gui: the desktop window. `mirlot-gui [LIST]`: a LIST that names an
// existing file is taken as the chosen list; --help and --version print and
// exit, before any display is needed.
#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "runtime/file_system.h"
#include "window/qt/application_icon.h"
#include "window/qt/form1.h"
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

}  // namespace

int main(int argc, char** argv) {
  // Help and version first: they need no display. Qt's own options (such
  // as -platform) are known only once the application has taken them.
  const mirlot::WindowStart early = mirlot::ReadWindowArguments(
      std::vector<std::string>(argv + 1, argv + argc), MIRLOT_VERSION,
      /*slash_help=*/false);
  if (early.kind != mirlot::WindowStart::Kind::kUsageError) {
    if (const int status = Answer(early); status >= 0) return status;
  }
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("mirlot-gui"));
  QGuiApplication::setDesktopFileName(QStringLiteral("mirlot-gui"));
  QApplication::setWindowIcon(mirlot::ApplicationIcon());
  std::vector<std::string> arguments;
  for (const QString& argument : QApplication::arguments().mid(1)) {
    arguments.push_back(argument.toStdString());
  }
  const mirlot::WindowStart start = mirlot::ReadWindowArguments(
      arguments, MIRLOT_VERSION, /*slash_help=*/false);
  if (const int status = Answer(start); status >= 0) return status;
  mirlot::QtFileDialogChooser chooser;
  mirlot::QtMessageBoxPresenter presenter;
  mirlot::QtForm1 window({.chooser = chooser,
                          .presenter = presenter,
                          .file_system = mirlot::HostFileSystem()});
  // Before the window shows: a refusal appears on its own, where the window
  // is yet to be placed.
  if (!start.list.empty()) {
    window.OfferArgument(QString::fromStdString(start.list));
  }
  window.show();
  return QApplication::exec();
}
