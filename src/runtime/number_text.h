// The text form of numbers in messages and in the report.
#ifndef MIRLOT_RUNTIME_NUMBER_TEXT_H_
#define MIRLOT_RUNTIME_NUMBER_TEXT_H_

#include <cstdint>
#include <string>

namespace mirlot {

// Decimal digits led by one blank for zero and positive values and by "-"
// for negative ones, without grouping: " 16", "-38", " 0".
std::string StrNumber(std::int64_t value);

// Decimal digits in groups of three separated by commas: "1,024", "7".
std::string GroupedNumber(std::uint64_t value);

// `count` and the noun for it: "1 byte", "2 bytes".
std::string Plural(std::uint64_t count, const char* one, const char* many);

}  // namespace mirlot

#endif  // MIRLOT_RUNTIME_NUMBER_TEXT_H_
