// The names of a packing run's outputs, written beside its list.
#ifndef MIRLOT_FORMAT_OUTPUT_NAMES_H_
#define MIRLOT_FORMAT_OUTPUT_NAMES_H_

namespace mirlot {

inline constexpr char kImageName[] = "out.bin";
inline constexpr char kReportName[] = "report.txt";

}  // namespace mirlot

#endif  // MIRLOT_FORMAT_OUTPUT_NAMES_H_
