// The run's messages that carry a number: refusals of a member and failures.
#include "packing/messages.h"

#include "runtime/number_text.h"

namespace mirlot {

std::string FailureMessage(const Status& failure) {
  return "Ошибка" + StrNumber(failure.number()) + failure.description();
}

std::string MissingMemberMessage(std::int64_t index) {
  return "Файл #" + StrNumber(index) + " не существует!";
}

std::string ShortMemberMessage(std::int64_t index) {
  return "Файл #" + StrNumber(index) + " короче 54 байт!";
}

}  // namespace mirlot
