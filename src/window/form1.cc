#include "window/form1.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include "window/path_label.h"

namespace mirlot {

namespace {

// The client area and the controls' places, in device-independent pixels.
constexpr QSize kClientSize(406, 125);
constexpr QRect kPathLabelPlace(8, 16, 313, 57);
constexpr QRect kPathButtonPlace(328, 16, 65, 57);
constexpr QRect kStartButtonPlace(160, 88, 73, 25);

}  // namespace

Form1::Form1(WindowServices services, QWidget* parent)
    : QWidget(parent), services_(services) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QString::fromUtf8(kWindowTitle));
  setFixedSize(kClientSize);
  setAcceptDrops(true);
  CreateControls();
}

void Form1::CreateControls() {
  lbl_path_ = new PathLabel(QString::fromUtf8(kNoPathCaption), this);
  lbl_path_->setObjectName(QStringLiteral("lblPath"));
  lbl_path_->setGeometry(kPathLabelPlace);

  cmd_path_ = new QPushButton(QStringLiteral("..."), this);
  cmd_path_->setObjectName(QStringLiteral("cmdPath"));
  cmd_path_->setGeometry(kPathButtonPlace);
  connect(cmd_path_, &QPushButton::clicked, this, &Form1::ChooseList);

  cmd_start_ = new QPushButton(QStringLiteral("Start"), this);
  cmd_start_->setObjectName(QStringLiteral("cmdStart"));
  cmd_start_->setGeometry(kStartButtonPlace);
  connect(cmd_start_, &QPushButton::clicked, this, &Form1::StartRun);

  setTabOrder(cmd_path_, cmd_start_);
}

void Form1::OfferLists(const QStringList& paths) {
  std::vector<std::string> offered;
  for (const QString& path : paths) {
    offered.push_back(QFile::encodeName(path).toStdString());
  }
  if (choice_.Offer(offered, services_.file_system)) ShowChoice();
}

void Form1::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent* event) {
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    paths.append(url.toLocalFile());
  }
  event->acceptProposedAction();
  OfferLists(paths);
}

void Form1::ChooseList() {
  const std::optional<std::string> chosen =
      services_.chooser.ChooseList(this, choice_.ChooserFolder());
  if (!chosen) return;
  choice_.Choose(*chosen);
  ShowChoice();
}

void Form1::ShowChoice() {
  lbl_path_->SetCaption(QFile::decodeName(choice_.caption().c_str()));
}

void Form1::StartRun() {
  if (running_) return;
  running_ = true;
  BackgroundRun run(*this, services_.presenter, services_.timing);
  (void)run.Run(choice_.StartRequest(), services_.file_system);
  running_ = false;
}

}  // namespace mirlot
