#include "window/qt/image_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <climits>

#include "window/qt/run_host.h"

namespace mirlot {

namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

// A button of `texts`; Enter presses it while it has the focus.
QPushButton* MakeButton(QWidget* parent, const ControlTexts& texts,
                        const char* name) {
  auto* button = new QPushButton(Text(texts.caption), parent);
  button->setObjectName(QLatin1String(name));
  button->setAccessibleDescription(Text(texts.description));
  button->setAutoDefault(true);
  return button;
}

}  // namespace

int QtEntryModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return static_cast<int>(std::min<std::uint64_t>(core_.row_count(), INT_MAX));
}

int QtEntryModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(kEntryColumns.size());
}

QVariant QtEntryModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (role == Qt::TextAlignmentRole) {
    const bool number = index.column() != 1;
    return QVariant::fromValue(Qt::AlignVCenter |
                               (number ? Qt::AlignRight : Qt::AlignLeft));
  }
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  const auto& texts = core_.Row(static_cast<std::uint64_t>(index.row()));
  return Text(texts[static_cast<std::size_t>(index.column())]);
}

QVariant QtEntryModel::headerData(int section, Qt::Orientation orientation,
                                  int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return QString::fromUtf8(kEntryColumns[static_cast<std::size_t>(section)]);
}

void QtEntryModel::Reset() {
  beginResetModel();
  endResetModel();
}

QtImageWindow::QtImageWindow(QtImageServices services, QWidget* parent)
    : QWidget(parent, Qt::Window), core_(services) {
  setObjectName(QStringLiteral("ImageWindow"));
  setAttribute(Qt::WA_DeleteOnClose, false);
  CreateControls();
  resize(640, 420);
}

void QtImageWindow::CreateControls() {
  path_ = new QLabel(this);
  path_->setObjectName(QStringLiteral("lblImage"));
  path_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  path_->setWordWrap(true);
  verdict_ = new QLabel(this);
  verdict_->setObjectName(QStringLiteral("lblVerdict"));
  verdict_->setWordWrap(true);
  table_ = new QTableView(this);
  table_->setObjectName(QStringLiteral("tblEntries"));
  table_->setAccessibleName(Text(kEntryTableTexts.accessible_name));
  table_->setModel(&model_);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->hide();
  // Fixed sizes: sizing to the contents would read every row.
  table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  const int digits = fontMetrics().horizontalAdvance(QStringLiteral("0"));
  for (const auto& [column, width] : {std::pair{0, 7}, {2, 12}, {3, 12}}) {
    table_->horizontalHeader()->resizeSection(column, digits * width);
  }
  table_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
  table_->setWordWrap(false);
  // Tab moves on to the buttons, as in a dialog, not between the cells.
  table_->setTabKeyNavigation(false);

  auto* buttons = new QHBoxLayout;
  const std::pair<const ControlTexts*, void (QtImageWindow::*)()> actions[] = {
      {&kExtractButtonTexts, &QtImageWindow::Extract},
      {&kVerifyButtonTexts, &QtImageWindow::Verify},
      {&kReloadButtonTexts, &QtImageWindow::Reload}};
  const char* names[] = {"cmdExtract", "cmdVerify", "cmdReload"};
  for (std::size_t i = 0; i < std::size(actions); ++i) {
    QPushButton* button = MakeButton(this, *actions[i].first, names[i]);
    connect(button, &QPushButton::clicked, this, actions[i].second);
    buttons->addWidget(button);
  }
  buttons->addStretch();
  QPushButton* close = MakeButton(this, kCloseButtonTexts, "cmdClose");
  close->setDefault(true);
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  buttons->addWidget(close);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(path_);
  layout->addWidget(verdict_);
  layout->addWidget(table_, 1);
  layout->addLayout(buttons);
}

bool QtImageWindow::OpenImage(const std::string& path) {
  QtRunHost host(*this);
  const bool opened = core_.Open(host, Parent(), path);
  if (opened) ShowImage();
  return core_.open();
}

void QtImageWindow::ShowImage() {
  setWindowTitle(Text(core_.Title()));
  path_->setText(Text(core_.catalog().image_path()));
  verdict_->setText(Text(core_.Verdict()));
  model_.Reset();
}

void QtImageWindow::Reload() {
  QtRunHost host(*this);
  if (core_.Reload(host, this)) ShowImage();
}

void QtImageWindow::Extract() {
  QtRunHost host(*this);
  core_.Extract(host, this);
}

void QtImageWindow::Verify() {
  QtRunHost host(*this);
  core_.Verify(host, this);
}

void QtImageWindow::keyPressEvent(QKeyEvent* event) {
  // Escape closes, and so does Enter that no focused button took: Close is
  // the default button, which only a dialog would press by itself.
  const int key = event->key();
  if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace mirlot
