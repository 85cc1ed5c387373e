#include "window/path_label.h"

#include <QEvent>
#include <QStringList>
#include <QTextBoundaryFinder>
#include <algorithm>

namespace mirlot {

namespace {

constexpr QChar kEllipsis(0x2026);

// The end of the longest run of whole characters from `start` that fits in
// `width`; at least one character, so that every line makes progress.
qsizetype FittingEnd(const QString& text, qsizetype start,
                     const QFontMetrics& metrics, int width) {
  QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, text);
  characters.setPosition(start);
  qsizetype end = characters.toNextBoundary();
  for (qsizetype next = characters.toNextBoundary(); next != -1;
       next = characters.toNextBoundary()) {
    if (metrics.horizontalAdvance(text.mid(start, next - start)) > width) {
      break;
    }
    end = next;
  }
  return end;
}

QStringList WrapPath(const QString& text, const QFontMetrics& metrics,
                     int width) {
  QStringList lines;
  qsizetype start = 0;
  while (start < text.size()) {
    qsizetype end = FittingEnd(text, start, metrics, width);
    if (end < text.size()) {
      const qsizetype slash = text.lastIndexOf(u'/', end - 1);
      if (slash > start) end = slash + 1;
    }
    lines.append(text.mid(start, end - start));
    start = end;
  }
  return lines;
}

// `path` with only its first and last characters, `kept` in all, around
// "…"; the file name at the end gets the larger half.
QString KeepEnds(const QString& path, qsizetype kept) {
  qsizetype tail = (kept + 1) / 2;
  qsizetype head = kept - tail;
  if (head > 0 && path[head - 1].isHighSurrogate()) --head;
  if (tail > 0 && path[path.size() - tail].isLowSurrogate()) --tail;
  return path.left(head) + kEllipsis + path.right(tail);
}

}  // namespace

QString FitPathToLines(const QString& path, const QFontMetrics& metrics,
                       int width, int max_lines) {
  const QStringList whole = WrapPath(path, metrics, width);
  if (whole.size() <= max_lines) return whole.join(u'\n');
  // The most characters that still fit, found by bisection.
  qsizetype fits = 0;
  qsizetype too_many = path.size();
  while (too_many - fits > 1) {
    const qsizetype kept = (fits + too_many) / 2;
    if (WrapPath(KeepEnds(path, kept), metrics, width).size() <= max_lines) {
      fits = kept;
    } else {
      too_many = kept;
    }
  }
  return WrapPath(KeepEnds(path, fits), metrics, width).join(u'\n');
}

PathLabel::PathLabel(const QString& caption, QWidget* parent)
    : QLabel(parent), caption_(caption) {
  setTextFormat(Qt::PlainText);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Refit();
}

void PathLabel::SetCaption(const QString& caption) {
  caption_ = caption;
  Refit();
}

void PathLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  Refit();
}

void PathLabel::changeEvent(QEvent* event) {
  QLabel::changeEvent(event);
  if (event->type() == QEvent::FontChange) Refit();
}

void PathLabel::Refit() {
  const QFontMetrics metrics = fontMetrics();
  const int max_lines =
      std::max(1, contentsRect().height() / metrics.lineSpacing());
  const QString shown = FitPathToLines(
      caption_, metrics, std::max(1, contentsRect().width()), max_lines);
  setText(shown);
  const bool shortened = QString(shown).remove(u'\n') != caption_;
  setToolTip(shortened ? caption_ : QString());
}

}  // namespace mirlot
