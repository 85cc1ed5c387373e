#include "window/qt/progress_dialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <utility>

#include "window/layout.h"

namespace mirlot {

namespace {

QRect Placed(const Place& twips) {
  const Place pixels = PlaceInPixels(twips, kBaseDpi);
  return {pixels.left, pixels.top, pixels.width, pixels.height};
}

}  // namespace

QtProgressDialog::QtProgressDialog(QWidget& window,
                                   std::function<void()> on_cancel)
    : QDialog(&window),
      label_(new QLabel(this)),
      bar_(new QProgressBar(this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)),
      on_cancel_(std::move(on_cancel)) {
  setObjectName(QStringLiteral("progressDialog"));
  setWindowTitle(window.windowTitle());
  setWindowModality(Qt::WindowModal);
  setFixedSize(Placed(kProgressClient).size());
  label_->setObjectName(QStringLiteral("progressText"));
  label_->setTextFormat(Qt::PlainText);
  label_->setWordWrap(true);
  label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label_->setGeometry(Placed(kProgressTextPlace));
  bar_->setGeometry(Placed(kProgressBarPlace));
  bar_->setTextVisible(false);
  cancel_->setObjectName(QStringLiteral("cancelButton"));
  cancel_->setGeometry(Placed(kCancelButtonPlace));
  connect(cancel_, &QPushButton::clicked, this, &QtProgressDialog::reject);
  show();
}

void QtProgressDialog::Show(const ProgressLook& look) {
  label_->setText(QString::fromStdString(look.text));
  // A range of 0 to 0 makes the bar a busy one.
  bar_->setRange(0, look.permille ? 1000 : 0);
  bar_->setValue(look.permille.value_or(0));
  cancel_->setEnabled(look.can_cancel);
}

void QtProgressDialog::reject() { on_cancel_(); }

}  // namespace mirlot
