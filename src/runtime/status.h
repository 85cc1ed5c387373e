// A failure carried as a value: a number, a description and what more the
// user is told about it, or success.
#ifndef MIRLOT_RUNTIME_STATUS_H_
#define MIRLOT_RUNTIME_STATUS_H_

#include <string>
#include <utility>

namespace mirlot {

// The failure numbers the program reports. Users know these numbers from
// earlier releases, so they never change.
enum class FailureCode : int {
  kOverflow = 6,
  kOutOfMemory = 7,
  kSubscriptOutOfRange = 9,
  kUserInterrupt = 18,
  kBadFileNameOrNumber = 52,
  kFileNotFound = 53,
  kDeviceIoError = 57,
  kDiskFull = 61,
  kInputPastEndOfFile = 62,
  kDeviceUnavailable = 68,
  kPermissionDenied = 70,
  kDiskNotReady = 71,
  kPathFileAccessError = 75,
  kPathNotFound = 76,
};

// Success, or a failure with a number, a description and a detail: the
// line a run prints after its message (which entry, list line or output,
// what was being done, and why), "" when there is nothing more to tell.
class [[nodiscard]] Status {
 public:
  // Success.
  Status() = default;
  // A failure with the standard description of `code`.
  explicit Status(FailureCode code);
  // A failure with any number (non-zero) and description.
  Status(int number, std::string description)
      : number_(number), description_(std::move(description)) {}

  static Status Ok() { return Status(); }

  bool ok() const { return number_ == 0; }
  int number() const { return number_; }
  const std::string& description() const { return description_; }
  const std::string& detail() const { return detail_; }
  bool Is(FailureCode code) const { return number_ == static_cast<int>(code); }

  // This failure with `what` and ": " put in front of its description; the
  // detail stays.
  Status About(const std::string& what) const {
    Status about = *this;
    about.description_ = what + ": " + description_;
    return about;
  }

  // This failure with `detail` as its detail; success stays without one.
  Status WithDetail(std::string detail) const {
    Status told = *this;
    if (!ok()) told.detail_ = std::move(detail);
    return told;
  }

  friend bool operator==(const Status&, const Status&) = default;

 private:
  int number_ = 0;
  std::string description_;
  std::string detail_;
};

// The standard description of a failure number ("File not found" for 53).
const char* DescribeFailure(FailureCode code);

}  // namespace mirlot

#endif  // MIRLOT_RUNTIME_STATUS_H_
