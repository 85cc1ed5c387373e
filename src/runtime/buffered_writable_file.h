// The part of a host's writable file that every platform shares: small
// appends are gathered into one buffer, so that many short pieces (report
// lines, table entries) become few system calls, while large appends go
// straight to the file.
#ifndef MIRLOT_RUNTIME_BUFFERED_WRITABLE_FILE_H_
#define MIRLOT_RUNTIME_BUFFERED_WRITABLE_FILE_H_

#include <string>
#include <string_view>

#include "runtime/file_system.h"

namespace mirlot {

class BufferedWritableFile : public WritableFile {
 public:
  explicit BufferedWritableFile(std::string path);

  Status Append(std::string_view data) final;
  Status Close() final;
  const std::string& path() const final { return path_; }

 protected:
  // Writes all of `data` at the end of the file.
  // On success every byte is written. On failure returns the failure; how
  // much was written is unspecified.
  virtual Status WriteAll(std::string_view data) = 0;

  // Makes the written data durable when `sync` is true, then closes the
  // file, which is closed afterwards in any case.
  // On success the data is on the disk (when asked) and the file closed.
  // On failure returns the first failure.
  virtual Status SyncAndClose(bool sync) = 0;

 private:
  Status Flush();

  std::string path_;
  std::string buffer_;
};

}  // namespace mirlot

#endif  // MIRLOT_RUNTIME_BUFFERED_WRITABLE_FILE_H_
