// The part of a host's writable file that every platform shares: small
// appends are gathered into one buffer, so that many short pieces (report
// lines, table entries) become few system calls, while large appends go
// straight to the file. The buffer is allocated before the file exists, so
// that running out of memory never strands a new file that nothing owns.
#ifndef MIRLOT_RUNTIME_BUFFERED_WRITABLE_FILE_H_
#define MIRLOT_RUNTIME_BUFFERED_WRITABLE_FILE_H_

#include <string>
#include <string_view>
#include <utility>

#include "runtime/file_system.h"

namespace mirlot {

class BufferedWritableFile : public WritableFile {
 public:
  // Allocates the buffer; the host names the file once it has created it.
  BufferedWritableFile();

  Status Append(std::string_view data) final;
  Status Close() final;
  const std::string& name() const final { return name_; }

 protected:
  // Takes the name of the file just created. Cannot fail.
  void Name(std::string name) { name_ = std::move(name); }

  // Writes all of `data` at the end of the file.
  // On success every byte is written. On failure returns the failure; how
  // much was written is unspecified.
  virtual Status WriteAll(std::string_view data) = 0;

  // Called once, by Close(), after everything appended was written out
  // (`written`) or failed to be: hands the open file to its folder, which
  // syncs and closes it later. A file not `written`, or not handed over, is
  // left to the destructor, which removes it.
  // On success the file is handed over, or not `written`. On failure (7
  // when the folder has no memory to take it) the file is not handed over.
  virtual Status Finish(bool written) = 0;

 private:
  Status Flush();

  std::string name_;
  std::string buffer_;
};

}  // namespace mirlot

#endif  // MIRLOT_RUNTIME_BUFFERED_WRITABLE_FILE_H_
