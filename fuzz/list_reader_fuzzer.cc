// libFuzzer target for ListFieldReader: reads each input field by field
// through a small buffer and through one that holds the whole list at once,
// and requires the same fields and failures from both, so a slip in the
// buffering (a CR LF split across a refill, a byte lost at the buffer's
// end) shows up as a difference.
//
// Input: byte 0 picks the small buffer's size (1 to 256 bytes, so refills
// fall everywhere); byte 1, when not zero, makes the small reader's read of
// that number fail, and it must then hand that failure back and stop. The
// rest is the list.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "runtime/fake_file_system.h"
#include "runtime/list_field_reader.h"

namespace {

using mirlot::FailureCode;
using mirlot::Result;

void Require(bool holds) {
  if (!holds) std::abort();
}

// Whether the small reader stopped at the injected read fault; otherwise
// requires it to give what the whole reader gives.
template <typename T>
bool Stopped(const Result<T>& small, const Result<T>& whole, bool faults) {
  if (faults && small.status().Is(FailureCode::kPathFileAccessError)) {
    return true;
  }
  Require(small.status() == whole.status() &&
          (!small.ok() || *small == *whole));
  return !small.ok();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  if (size < 2) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data + 2),
                              size - 2);
  const bool faults = data[1] != 0;
  mirlot::FakeFileSystem small_fs, whole_fs;
  small_fs.AddFile("/l.txt", std::string(text));
  whole_fs.AddFile("/l.txt", std::string(text));
  if (faults) {
    small_fs.FailOn(mirlot::FakeFileSystem::Op::kRead, "",
                    mirlot::Status(FailureCode::kPathFileAccessError),
                    data[1] - 1);
  }
  auto small_file = small_fs.OpenForRead("/l.txt");
  auto whole_file = whole_fs.OpenForRead("/l.txt");
  mirlot::ListFieldReader small(**small_file, std::size_t{data[0]} + 1);
  mirlot::ListFieldReader whole(**whole_file, text.size() + 1);
  // Every field but the failing last read consumes at least one byte, so a
  // text of N bytes yields at most N fields; more means the reader loops.
  for (std::size_t fields = 0; fields <= text.size(); ++fields) {
    const Result<bool> at_end = small.AtEnd();
    if (Stopped(at_end, whole.AtEnd(), faults) || *at_end) return 0;
    if (Stopped(small.ReadField(), whole.ReadField(), faults)) return 0;
  }
  Require(false);
  return 0;
}
