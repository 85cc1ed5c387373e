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
  explicit BufferedWritableFile(std::string name);

  Status Append(std::string_view data) final;
  Status Close() final;
  const std::string& name() const final { return name_; }

 protected:
  // Writes all of `data` at the end of the file.
  // On success every byte is written. On failure returns the failure; how
  // much was written is unspecified.
  virtual Status WriteAll(std::string_view data) = 0;

  // Called once, by Close(), after everything appended was written out
  // (`written`) or failed to be: hands the open file to its folder, which
  // syncs and closes it later, or closes it when not `written`.
  // On success the file is handed over or closed. On failure returns the
  // failure of closing.
  virtual Status Finish(bool written) = 0;

 private:
  Status Flush();

  std::string name_;
  std::string buffer_;
};

}  // namespace mirlot

#endif  // MIRLOT_RUNTIME_BUFFERED_WRITABLE_FILE_H_
