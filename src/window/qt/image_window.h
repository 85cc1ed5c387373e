// The image window (Qt): the image's path and verdict at its top, its
// entries in a table whose rows are read as they are drawn, and Extract…,
// Verify…, Reload and Close, which the core carries out.
#ifndef MIRLOT_WINDOW_QT_IMAGE_WINDOW_H_
#define MIRLOT_WINDOW_QT_IMAGE_WINDOW_H_

#include <QAbstractTableModel>
#include <QWidget>
#include <array>
#include <string>

#include "window/image_window_core.h"

class QLabel;
class QPushButton;
class QTableView;

namespace mirlot {

using QtImageServices = ImageWindowServicesFor<QWidget*>;

// The open image's entries for a table view: a row's texts are read from
// the image and its report only when the view asks for them.
class QtEntryModel : public QAbstractTableModel {
 public:
  explicit QtEntryModel(ImageWindowCore<QWidget*>& core) : core_(core) {}

  int rowCount(const QModelIndex& parent) const override;
  int columnCount(const QModelIndex& parent) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role) const override;

  // The image was opened again: every row is read anew.
  void Reset();

 private:
  ImageWindowCore<QWidget*>& core_;
};

class QtImageWindow : public QWidget {
  Q_OBJECT

 public:
  explicit QtImageWindow(QtImageServices services, QWidget* parent = nullptr);

  // Opens the image at `path` (a full path), in place of the one shown;
  // a failure is told over the window, or on its own while it is hidden.
  // Returns whether an image is shown.
  bool OpenImage(const std::string& path);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void CreateControls();
  void ShowImage();
  void Reload();
  void Extract();
  void Verify();
  QWidget* Parent() { return isVisible() ? this : nullptr; }

  ImageWindowCore<QWidget*> core_;
  QtEntryModel model_{core_};
  QLabel* path_ = nullptr;
  QLabel* verdict_ = nullptr;
  QTableView* table_ = nullptr;
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_QT_IMAGE_WINDOW_H_
