// An image as a window shows it: what inspect says about it, known once it
// is opened, and its rows, each read from the open files when it is drawn,
// so that a table of many long names never sits in memory.
#ifndef MIRLOT_READING_IMAGE_CATALOG_H_
#define MIRLOT_READING_IMAGE_CATALOG_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "format/image_table.h"
#include "reading/image_soundness.h"
#include "reading/output_pair.h"
#include "reading/report_reader.h"
#include "runtime/file_system.h"
#include "runtime/result.h"

namespace mirlot {

// One entry as a row of the window's table.
struct CatalogRow {
  std::uint64_t number = 0;  // 1-based, as report.txt numbers entries
  TableEntry entry;
  std::string name;  // "" when the report does not match the table
  friend bool operator==(const CatalogRow&, const CatalogRow&) = default;
};

class ImageCatalog {
 public:
  // Report lines between two remembered line starts: a row's name is found
  // by reading at most this many lines from the nearest one before it.
  static constexpr std::uint64_t kLinesPerMark = 64;

  // Opens the image at `image_path` and the report beside it as inspect
  // does (waiting for a locked folder, told to `observer`), judges the
  // image and remembers where every kLinesPerMark-th report line begins;
  // no name is kept.
  // On success returns the catalog, also of a file that is not an image
  // (then it has no rows). On failure returns the failure to open or read
  // the image, or the report's led by its path, 18 when cancelled while
  // waiting, or 7 "Out of memory".
  static Result<std::unique_ptr<ImageCatalog>> Open(
      FileSystem& file_system, const std::string& image_path,
      FolderWaitObserver& observer = UnobservedWait());

  const std::string& image_path() const { return image_path_; }
  // One line about the image's folder for the user, or "".
  const std::string& warning() const { return pair_.warning; }
  const std::string& report_path() const { return pair_.report_path; }
  // Why the file cannot be a Mirlot image, or "" when it can.
  const std::string& not_an_image() const { return not_an_image_; }
  // "46 bytes, 2 entries" (ImageSizeWords).
  const std::string& size_words() const { return size_words_; }
  // Where the names come from (NamesNote).
  const std::string& names_note() const { return names_note_; }
  // "sound", "unsound: N problems", or "not a Mirlot image".
  const std::string& verdict() const { return verdict_; }
  // The problems found, one line each (ProblemLines).
  const std::vector<std::string>& problems() const { return problems_; }
  bool sound() const { return sound_; }
  std::uint64_t row_count() const { return row_count_; }

  // The row with 0-based `index`, below row_count(), read now.
  // On success returns it; its name is "" when the report's line cannot be
  // read. On failure returns the failure to read the image's table, 62
  // "Input past end of file" when the image shrank, or 9 "Subscript out of
  // range" for an index past the last row.
  Result<CatalogRow> Row(std::uint64_t index);

 private:
  class Recorder;
  ImageCatalog(std::string image_path, OutputPair pair);
  Status MarkReportLines();
  std::string NameAt(std::uint64_t index);

  std::string image_path_;
  OutputPair pair_;
  std::string not_an_image_;
  std::string size_words_;
  std::string names_note_;
  std::string verdict_;
  std::vector<std::string> problems_;
  bool sound_ = false;
  bool names_ = false;
  std::uint64_t row_count_ = 0;
  std::vector<std::uint64_t> marks_;  // where lines 0, 64, 128... begin
};

}  // namespace mirlot

#endif  // MIRLOT_READING_IMAGE_CATALOG_H_
