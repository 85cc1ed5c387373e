// The label that shows the chosen list path. Its caption is the full path;
// what it displays is that path wrapped to the label's width and, when it
// still does not fit, shortened in the middle with the full path as tooltip.
#ifndef MIRLOT_WINDOW_PATH_LABEL_H_
#define MIRLOT_WINDOW_PATH_LABEL_H_

#include <QFontMetrics>
#include <QLabel>
#include <QString>

namespace mirlot {

// `path` broken into lines no wider than `width` pixels, after a '/' where
// one fits and anywhere else otherwise, joined by '\n'. When that takes more
// than `max_lines` lines, the middle of the path gives way to "…" so that
// its beginning and its file name stay in view.
QString FitPathToLines(const QString& path, const QFontMetrics& metrics,
                       int width, int max_lines);

class PathLabel : public QLabel {
 public:
  explicit PathLabel(const QString& caption, QWidget* parent = nullptr);

  const QString& caption() const { return caption_; }
  void SetCaption(const QString& caption);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void Refit();

  QString caption_;
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_PATH_LABEL_H_
