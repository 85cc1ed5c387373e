#include "window/progress_dialog.h"

#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

namespace mirlot {

namespace {

constexpr int kProgressSteps = 1000;
constexpr int kMinimumWidth = 320;

}  // namespace

ProgressDialog::ProgressDialog(QWidget& window, std::function<void()> on_cancel)
    : QDialog(&window),
      label_(new QLabel(QStringLiteral("Packing…"), this)),
      bar_(new QProgressBar(this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)),
      on_cancel_(std::move(on_cancel)) {
  setObjectName(QStringLiteral("progressDialog"));
  setWindowTitle(window.windowTitle());
  setWindowModality(Qt::WindowModal);
  setMinimumWidth(kMinimumWidth);
  label_->setTextFormat(Qt::PlainText);
  bar_->setRange(0, kProgressSteps);
  bar_->setValue(0);
  cancel_->setObjectName(QStringLiteral("cancelButton"));
  connect(cancel_, &QPushButton::clicked, this, &ProgressDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label_);
  layout->addWidget(bar_);
  layout->addWidget(cancel_, 0, Qt::AlignRight);
}

void ProgressDialog::ShowProgress(std::uint64_t done, std::uint64_t total) {
  if (cancelled_ || total == 0) return;
  done = std::min(done, total);
  const QLocale locale;
  const QString all = locale.toString(qulonglong{total});
  // Writing the image out to disk can take a while after the last byte.
  label_->setText(
      done < total ? QStringLiteral("Packed %1 of %2 bytes")
                         .arg(locale.toString(qulonglong{done}), all)
                   : QStringLiteral("Packed all %1 bytes, saving…").arg(all));
  bar_->setValue(static_cast<int>(done * kProgressSteps / total));
}

void ProgressDialog::ShowWaiting(const QString& text) {
  if (!cancelled_) label_->setText(text);
}

void ProgressDialog::reject() {
  if (cancelled_) return;
  cancelled_ = true;
  cancel_->setEnabled(false);
  label_->setText(QStringLiteral("Cancelling…"));
  on_cancel_();
}

}  // namespace mirlot
