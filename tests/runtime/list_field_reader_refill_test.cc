// The list-field reader over every refill size: a field, a quote or a CR LF
// split between two reads must read as if the list came in one piece. The
// cases are the ones the list-reader fuzzer (fuzz/) started from or found.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/fake_file_system.h"
#include "runtime/list_field_reader.h"

namespace mirlot {
namespace {

constexpr char kList[] = "/d/list.txt";

struct RefillCase {
  std::string list;
  std::vector<std::string> fields;
  bool ends_past_end;  // one more read after the fields fails with 62

  friend void PrintTo(const RefillCase& c, std::ostream* out) {
    *out << ::testing::PrintToString(c.list);
  }
};

// Reads fields until the end-of-file test holds, or the 62 failure.
std::vector<std::string> ReadAll(ReadableFile& file, std::size_t buffer_size,
                                 bool& past_end) {
  ListFieldReader reader(file, buffer_size);
  std::vector<std::string> fields;
  past_end = false;
  for (Result<bool> at_end = reader.AtEnd(); at_end.ok() && !*at_end;
       at_end = reader.AtEnd()) {
    Result<std::string> field = reader.ReadField();
    if (!field.ok()) {
      past_end = field.status().Is(FailureCode::kInputPastEndOfFile);
      break;
    }
    fields.push_back(*field);
  }
  return fields;
}

class ListFieldReaderRefill : public ::testing::TestWithParam<RefillCase> {};

TEST_P(ListFieldReaderRefill, SameFieldsWhateverTheBufferSize) {
  FakeFileSystem file_system;
  file_system.AddFile(kList, GetParam().list);
  for (std::size_t buffer_size : {1, 2, 3, 5, 64 * 1024}) {
    SCOPED_TRACE(buffer_size);
    Result<std::unique_ptr<ReadableFile>> file = file_system.OpenForRead(kList);
    ASSERT_TRUE(file.ok());
    bool past_end = false;
    EXPECT_EQ(ReadAll(**file, buffer_size, past_end), GetParam().fields);
    EXPECT_EQ(past_end, GetParam().ends_past_end);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lists, ListFieldReaderRefill,
    ::testing::Values(
        RefillCase{"one.dat\r\ntwo.dat\r\n", {"one.dat", "two.dat"}, false},
        RefillCase{"\"ab\"cd,ef\r", {"ab", "cd", "ef"}, false},
        RefillCase{"\"a, b\" , c\n\nd,,e , \n",
                   {"a, b", "c", "", "d", "", "e", ""},
                   false},
        RefillCase{"x\r\r\ny\r", {"x", "", "y"}, false},
        RefillCase{"\"q\r\nq\"\r\n\t z", {"q\r\nq", "z"}, false},
        RefillCase{std::string("a\0b\n   ", 7), {std::string("a\0b", 3)}, true},
        RefillCase{"\"open", {"open"}, false},
        RefillCase{"t\t ,", {"t\t"}, false}));

TEST(ListFieldReaderRefillFailure, ReadFailureIsNotTakenForTheEnd) {
  FakeFileSystem file_system;
  file_system.AddFile(kList, "a.dat\nb.dat\n");
  file_system.FailOn(FakeFileSystem::Op::kRead, kList,
                     Status(FailureCode::kPathFileAccessError), 1);
  Result<std::unique_ptr<ReadableFile>> file = file_system.OpenForRead(kList);
  ASSERT_TRUE(file.ok());
  ListFieldReader reader(**file, 4);
  Result<std::string> field = reader.ReadField();
  ASSERT_FALSE(field.ok());
  EXPECT_TRUE(field.status().Is(FailureCode::kPathFileAccessError));
}

}  // namespace
}  // namespace mirlot
