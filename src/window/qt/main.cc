// mirlot-gui: the desktop window. A list path given as the first argument
// is taken as the chosen list.
#include <QApplication>
#include <QFileInfo>

#include "runtime/file_system.h"
#include "window/qt/form1.h"
#include "window/qt/list_chooser.h"
#include "window/qt/message_presenter.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("mirlot-gui"));
  QGuiApplication::setDesktopFileName(QStringLiteral("mirlot-gui"));
  mirlot::QtFileDialogChooser chooser;
  mirlot::QtMessageBoxPresenter presenter;
  mirlot::QtForm1 window({.chooser = chooser,
                          .presenter = presenter,
                          .file_system = mirlot::HostFileSystem()});
  const QStringList arguments = QApplication::arguments();
  if (arguments.size() > 1) {
    window.OfferLists({QFileInfo(arguments[1]).absoluteFilePath()});
  }
  window.show();
  return QApplication::exec();
}
