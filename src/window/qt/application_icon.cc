#include "window/qt/application_icon.h"

#include <QDir>
#include <QFileInfo>

namespace mirlot {

QIcon ApplicationIcon() {
  QIcon icon;
  // One PNG per size; QIcon reads each one's size from the file.
  for (const QFileInfo& png : QDir(QStringLiteral(":/icons")).entryInfoList()) {
    icon.addFile(png.filePath());
  }
  return icon;
}

}  // namespace mirlot
