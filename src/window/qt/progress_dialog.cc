#include "window/qt/progress_dialog.h"

#include <QFontMetrics>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <string_view>
#include <utility>

#include "window/control_texts.h"
#include "window/layout.h"

namespace mirlot {

namespace {

QRect Placed(const Place& pixels) {
  return {pixels.left, pixels.top, pixels.width, pixels.height};
}

}  // namespace

QtProgressDialog::QtProgressDialog(QWidget& window,
                                   std::function<void()> on_cancel)
    : QDialog(&window),
      label_(new QLabel(this)),
      bar_(new QProgressBar(this)),
      cancel_(
          new QPushButton(QString::fromUtf8(kCancelButtonTexts.caption), this)),
      on_cancel_(std::move(on_cancel)) {
  setObjectName(QStringLiteral("progressDialog"));
  setWindowTitle(window.windowTitle());
  setWindowModality(Qt::WindowModal);
  label_->setObjectName(QStringLiteral("progressText"));
  label_->setTextFormat(Qt::PlainText);
  label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  bar_->setTextVisible(false);
  cancel_->setObjectName(QStringLiteral("cancelButton"));
  ShowText("");
  connect(cancel_, &QPushButton::clicked, this, &QtProgressDialog::reject);
  show();
}

void QtProgressDialog::ShowText(const std::string& text) {
  const QFontMetrics metrics = label_->fontMetrics();
  const ProgressLayout layout = LayOutProgress(
      text,
      [&metrics](std::string_view part) {
        return metrics.horizontalAdvance(QString::fromUtf8(part));
      },
      metrics.lineSpacing(), kBaseDpi);
  label_->setText(QString::fromStdString(JoinLines(layout.lines, "\n")));
  setFixedSize(Placed(layout.client).size());
  label_->setGeometry(Placed(layout.text));
  bar_->setGeometry(Placed(layout.bar));
  cancel_->setGeometry(Placed(layout.cancel));
}

void QtProgressDialog::Show(const ProgressLook& look) {
  ShowText(look.text);
  // A range of 0 to 0 makes the bar a busy one.
  bar_->setRange(0, look.permille ? 1000 : 0);
  bar_->setValue(look.permille.value_or(0));
  cancel_->setEnabled(look.can_cancel);
}

void QtProgressDialog::reject() { on_cancel_(); }

}  // namespace mirlot
