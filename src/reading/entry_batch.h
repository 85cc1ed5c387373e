// Extracted entries that wait, under temporary names, to be put in place
// together: their payloads are made durable in one pass, moved onto their
// names, and the folder is synced once, so that many small payloads cost
// one sync instead of one each.
#ifndef MIRLOT_READING_ENTRY_BATCH_H_
#define MIRLOT_READING_ENTRY_BATCH_H_

#include <cstdint>
#include <string>
#include <vector>

#include "format/image_table.h"
#include "reading/extract_observer.h"
#include "runtime/file_system.h"

namespace mirlot {

struct ExtractSummary;

class EntryBatch {
 public:
  // Entries of `folder`, whose path is `folder_path`; with `replace` an
  // existing file at an entry's name is replaced. The folder and the
  // observer must outlive the batch.
  EntryBatch(Folder& folder, std::string folder_path, bool replace,
             ExtractObserver& observer);
  // Removes the temporary files of entries never put in place.
  ~EntryBatch();
  EntryBatch(const EntryBatch&) = delete;
  EntryBatch& operator=(const EntryBatch&) = delete;

  // Entry `number` (1-based) is complete in the closed temporary file
  // `temporary`, to be named `name`.
  void Add(std::uint64_t number, const TableEntry& entry, std::string name,
           std::string temporary);

  // Entry `number` is left out; the observer hears of it in its turn.
  void Skip(std::uint64_t number, const TableEntry& entry);

  // True when the waiting entries should be put in place before more come:
  // their files are held open until then.
  bool Full() const;

  // Makes the waiting payloads durable, moves them onto their names in
  // order and syncs the folder, then tells the observer of each entry in
  // order and counts it in `summary`.
  // On success every waiting entry is in place or skipped. On failure
  // returns the failure, its description naming the file or folder
  // concerned, or "exists already" when a file took an entry's name
  // meanwhile and `replace` is off; the entries before it are in place and
  // told, the temporary files of the others are removed.
  Status PutInPlace(ExtractSummary& summary);

 private:
  struct Waiting {
    std::uint64_t number;
    TableEntry entry;
    std::string name;
    std::string temporary;  // empty for a skipped entry
  };

  // Moves one waiting entry onto its name. On failure the description
  // names the file.
  Status Move(const Waiting& waiting);

  Folder& folder_;
  std::string folder_path_;
  bool replace_;
  ExtractObserver& observer_;
  std::vector<Waiting> waiting_;
  std::size_t files_ = 0;
  std::uint64_t bytes_ = 0;
};

}  // namespace mirlot

#endif  // MIRLOT_READING_ENTRY_BATCH_H_
