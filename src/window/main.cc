// mirlot-gui: the desktop window.
#include <QApplication>

#include "runtime/file_system.h"
#include "window/form1.h"
#include "window/list_chooser.h"
#include "window/message_presenter.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("mirlot-gui"));
  QGuiApplication::setDesktopFileName(QStringLiteral("mirlot-gui"));
  mirlot::FileDialogListChooser chooser;
  mirlot::MessageBoxPresenter presenter;
  mirlot::Form1 window({.chooser = chooser,
                        .presenter = presenter,
                        .file_system = mirlot::HostFileSystem()});
  window.show();
  return QApplication::exec();
}
