#include "window/form1.h"

#include <QFile>
#include <QFileInfo>
#include <QPushButton>

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

void Form1::ChooseList() {
  // The chooser opens where the last chosen list lies.
  const QString start_folder =
      list_chosen_ ? QFileInfo(lbl_path_->caption()).absolutePath() : QString();
  const std::optional<QString> chosen =
      services_.chooser.ChooseList(this, start_folder);
  if (!chosen) return;
  lbl_path_->SetCaption(*chosen);
  list_chosen_ = true;
}

void Form1::StartRun() {
  if (running_) return;
  running_ = true;
  const RunRequest request{
      .list_chosen = list_chosen_,
      .list_path = QFile::encodeName(lbl_path_->caption()).toStdString()};
  BackgroundRun run(*this, services_.presenter, services_.timing);
  (void)run.Run(request, services_.file_system);
  running_ = false;
}

}  // namespace mirlot
