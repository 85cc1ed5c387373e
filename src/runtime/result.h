// A value or the failure that prevented it.
#ifndef MIRLOT_RUNTIME_RESULT_H_
#define MIRLOT_RUNTIME_RESULT_H_

#include <cassert>
#include <optional>
#include <utility>

#include "runtime/status.h"

namespace mirlot {

template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : value_(std::move(value)) {}
  Result(Status failure) : status_(std::move(failure)) {
    assert(!status_.ok());
  }
  Result(FailureCode code) : Result(Status(code)) {}

  bool ok() const { return status_.ok(); }
  const Status& status() const { return status_; }

  T& value() {
    assert(ok());
    return *value_;
  }
  const T& value() const {
    assert(ok());
    return *value_;
  }
  T& operator*() { return value(); }
  const T& operator*() const { return value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }

 private:
  Status status_;
  std::optional<T> value_;
};

}  // namespace mirlot

#endif  // MIRLOT_RUNTIME_RESULT_H_
