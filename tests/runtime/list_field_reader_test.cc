#include "runtime/list_field_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/fake_file_system.h"

namespace mirlot {
namespace {

struct ReadOutcome {
  std::vector<std::string> fields;
  int failure = 0;  // number of the failure that ended reading, 0 for none
};

// Reads fields until the end test says the list is exhausted or a read fails.
ReadOutcome ReadAll(const std::string& list) {
  FakeFileSystem fs;
  fs.AddFile("/l.txt", list);
  auto file = fs.OpenForRead("/l.txt");
  EXPECT_TRUE(file.ok());
  ListFieldReader reader(**file);
  ReadOutcome outcome;
  while (!*reader.AtEnd()) {
    Result<std::string> field = reader.ReadField();
    if (!field.ok()) {
      outcome.failure = field.status().number();
      break;
    }
    outcome.fields.push_back(*field);
  }
  return outcome;
}

struct Case {
  const char* title;
  std::string list;
  std::vector<std::string> fields;
  int failure;
};

TEST(ListFieldReaderTest, ReadsFieldsByTheListRules) {
  const Case cases[] = {
      {"empty list", "", {}, 0},
      {"crlf lines", "a.dat\r\nb.dat\r\n", {"a.dat", "b.dat"}, 0},
      {"lf lines", "a.dat\nb.dat\n", {"a.dat", "b.dat"}, 0},
      {"cr lines", "a.dat\rb.dat\r", {"a.dat", "b.dat"}, 0},
      {"no final line end", "a.dat\r\nb.dat", {"a.dat", "b.dat"}, 0},
      {"commas", "a,b , c\r\n", {"a", "b", "c"}, 0},
      {"leading blanks skipped, trailing spaces dropped, tabs kept",
       " \t a b  \t \r\n",
       {"a b  \t"},
       0},
      {"quoted field keeps commas and spaces",
       "\" a, b \"\r\nc\r\n",
       {" a, b ", "c"},
       0},
      {"quoted field holds a line end", "\"a\r\nb\",c\n", {"a\r\nb", "c"}, 0},
      {"blanks then one delimiter after the quote",
       "\"a\"  ,b\n\"c\" \t\r\nd\n",
       {"a", "b", "c", "d"},
       0},
      {"text after a closing quote starts the next field",
       "\"ab\"cd,ef",
       {"ab", "cd", "ef"},
       0},
      {"unclosed quote runs to the end", "\"ab,c\n", {"ab,c\n"}, 0},
      {"quote inside an unquoted field is kept", "a\"b,c", {"a\"b", "c"}, 0},
      {"empty line gives an empty field", "a\r\n\r\nb\r\n", {"a", "", "b"}, 0},
      {"two commas give an empty field", "a,,b", {"a", "", "b"}, 0},
      {"comma before a line end gives an empty field",
       "a,\r\nb",
       {"a", "", "b"},
       0},
      {"comma at the very end gives nothing more", "a,", {"a"}, 0},
      {"only spaces after the last line end", "a\r\n   ", {"a"}, 62},
      {"only blanks", " \t", {}, 62},
      {"nul byte is kept in the field",
       std::string("a\0b\n", 4),
       {std::string("a\0b", 3)},
       0},
      {"bytes are kept as they stand",
       "\xD1\x84\xFF.dat\n",
       {"\xD1\x84\xFF.dat"},
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    const ReadOutcome outcome = ReadAll(c.list);
    EXPECT_EQ(outcome.fields, c.fields);
    EXPECT_EQ(outcome.failure, c.failure);
  }
}

TEST(ListFieldReaderTest, FieldsLongerThanOneBufferSurvive) {
  const std::string long_name(200 * 1024, 'x');
  const ReadOutcome outcome = ReadAll("a\r\n" + long_name + "\r\nb\r\n");
  ASSERT_EQ(outcome.fields.size(), 3u);
  EXPECT_EQ(outcome.fields[1], long_name);
  EXPECT_EQ(outcome.fields[2], "b");
}

TEST(ListFieldReaderTest, CrLfSplitAcrossBuffersIsOneLineEnd) {
  // The reader fills 64 KiB at a time; put the CR last in the first fill.
  const std::string first(64 * 1024 - 1, 'a');
  const ReadOutcome outcome = ReadAll(first + "\r\nb\r\n");
  EXPECT_EQ(outcome.fields, (std::vector<std::string>{first, "b"}));
}

TEST(ListFieldReaderTest, ReadFailureIsPassedOn) {
  FakeFileSystem fs;
  fs.AddFile("/l.txt", "a\r\n");
  fs.FailOn(FakeFileSystem::Op::kRead, "/l.txt",
            Status(FailureCode::kPathFileAccessError));
  auto file = fs.OpenForRead("/l.txt");
  ListFieldReader reader(**file);
  Result<bool> at_end = reader.AtEnd();
  ASSERT_FALSE(at_end.ok());
  EXPECT_EQ(at_end.status().number(), 75);
}

}  // namespace
}  // namespace mirlot
