#include "window/qt/form1.h"

#include <QAccessibleWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include "window/control_texts.h"
#include "window/layout.h"
#include "window/qt/path_label.h"
#include "window/qt/run_host.h"

namespace mirlot {

namespace {

// Qt scales device-independent pixels itself: places at 96 DPI.
QRect Placed(const Place& twips) {
  const Place pixels = PlaceInPixels(twips, kBaseDpi);
  return {pixels.left, pixels.top, pixels.width, pixels.height};
}

// Screen readers take the window for a frame named by its title; a plain
// widget would show as a filler.
QAccessibleInterface* FormAccessible(const QString& class_name,
                                     QObject* object) {
  if (class_name != QLatin1String(QtForm1::staticMetaObject.className())) {
    return nullptr;
  }
  return new QAccessibleWidget(static_cast<QWidget*>(object),
                               QAccessible::Window,
                               QString::fromUtf8(kWindowTitle));
}

// A button of `texts` named `name`, at `twips` in `parent`.
QPushButton* MakeButton(QWidget* parent, const ControlTexts& texts,
                        const char* name, const Place& twips) {
  auto* button = new QPushButton(QString::fromUtf8(texts.caption), parent);
  button->setObjectName(QLatin1String(name));
  button->setGeometry(Placed(twips));
  button->setAccessibleName(QString::fromUtf8(texts.accessible_name));
  button->setAccessibleDescription(QString::fromUtf8(texts.description));
  button->setToolTip(QString::fromUtf8(texts.tooltip));
  // Enter presses the focused button, as Space does.
  button->setAutoDefault(true);
  return button;
}

std::string LocalPath(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

}  // namespace

QtForm1::QtForm1(QtWindowServices services, OpenImageCall open_image,
                 QWidget* parent)
    : QWidget(parent), core_(services), open_image_(std::move(open_image)) {
  static const bool kAccessibleInstalled =
      (QAccessible::installFactory(FormAccessible), true);
  (void)kAccessibleInstalled;
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QString::fromUtf8(kWindowTitle));
  setFixedSize(Placed(kForm1Client).size());
  setAcceptDrops(true);
  CreateControls();
}

void QtForm1::CreateControls() {
  lbl_path_ = new QtPathLabel(this);
  lbl_path_->setObjectName(QStringLiteral("lblPath"));
  lbl_path_->setGeometry(Placed(kPathLabelPlace));

  cmd_path_ = MakeButton(this, kPathButtonTexts, "cmdPath", kPathButtonPlace);
  connect(cmd_path_, &QPushButton::clicked, this, &QtForm1::ChooseList);
  // Alt+P, the label's access key, presses "...".
  lbl_path_->setBuddy(cmd_path_);

  cmd_start_ =
      MakeButton(this, kStartButtonTexts, "cmdStart", kStartButtonPlace);
  connect(cmd_start_, &QPushButton::clicked, this, &QtForm1::StartRun);
  setTabOrder(cmd_path_, cmd_start_);
}

void QtForm1::OfferArgument(const QString& path) {
  // A refusal before the window shows stands on its own, on the screen.
  QWidget* parent = isVisible() ? this : nullptr;
  if (core_.OfferArgument(parent,
                          LocalPath(QFileInfo(path).absoluteFilePath()))) {
    lbl_path_->ShowChoice(core_.choice());
  }
}

void QtForm1::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void QtForm1::dropEvent(QDropEvent* event) {
  std::vector<std::string> paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    paths.push_back(LocalPath(url.toLocalFile()));
  }
  event->acceptProposedAction();
  if (const std::optional<std::string> image = core_.ImageDropped(paths)) {
    open_image_(*image);
  } else if (core_.Drop(paths)) {
    lbl_path_->ShowChoice(core_.choice());
  }
}

void QtForm1::ChooseList() {
  if (core_.ChooseList(this)) lbl_path_->ShowChoice(core_.choice());
}

void QtForm1::StartRun() {
  QtRunHost host(*this);
  core_.Start(host, this);
}

}  // namespace mirlot
