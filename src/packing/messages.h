// The texts the packing run shows. Users and their scripts know them; they
// must stay exactly as they are.
#ifndef MIRLOT_PACKING_MESSAGES_H_
#define MIRLOT_PACKING_MESSAGES_H_

#include <cstdint>
#include <string>

#include "runtime/status.h"

namespace mirlot {

inline constexpr char kNoFileSelectedMessage[] = "No file selected";
inline constexpr char kDoneMessage[] = "Done";
inline constexpr char kEmptyListMessage[] = "Не найдено ни одного файла";

// "Ошибка 53File not found": the number and the description, nothing between.
std::string FailureMessage(const Status& failure);

// "Файл # 2 не существует!" for the 0-based entry `index`.
std::string MissingMemberMessage(std::int64_t index);

// "Файл # 2 короче 54 байт!" for the 0-based entry `index`.
std::string ShortMemberMessage(std::int64_t index);

}  // namespace mirlot

#endif  // MIRLOT_PACKING_MESSAGES_H_
