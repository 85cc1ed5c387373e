// The list rules, read through buffers of several sizes: a field, a quote or
// a CR LF split between two reads must read as if the list came in one
// piece. Some rows are inputs a fuzzer of the list reader once started from
// or found.
#include "format/list_field_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/fake_file_system.h"

namespace mirlot {
namespace {

using namespace std::string_literals;

struct Case {
  std::string list;
  std::vector<std::string> fields;
  int failure = 0;  // the number that ended reading, 0 when the end did
  // Each field's line and place on it, "line.field ...", the way the
  // messages name them, with "!" after a quote left open; not compared
  // when empty.
  std::string places = "";
};

// Reads fields until the end test holds or a read fails.
Case ReadAll(const std::string& list, std::size_t buffer_size) {
  FakeFileSystem fs;
  fs.AddFile("/l.txt", list);
  auto file = fs.OpenForRead("/l.txt");
  ListFieldReader reader(**file, buffer_size);
  Case outcome;
  while (!*reader.AtEnd()) {
    Result<std::string> field = reader.ReadField();
    if (!field.ok()) {
      outcome.failure = field.status().number();
      break;
    }
    outcome.fields.push_back(*field);
    outcome.places += (outcome.places.empty() ? "" : " ") +
                      std::to_string(reader.place().line) + "." +
                      std::to_string(reader.place().field) +
                      (reader.quote_unclosed() ? "!" : "");
  }
  return outcome;
}

TEST(ListFieldReaderTest, ReadsFieldsByTheListRulesWhateverTheBufferSize) {
  const std::size_t longest = LongestPathBytes();
  const std::string bom = "\xEF\xBB\xBF", half = "\xEF\xBB";
  const Case cases[] = {
      // clang-format off
      // empty list
      {"", {}},
      // crlf, lf and cr lines; a cr, then a crlf, ends an empty line
      {"a\r\nb\nc\rx\r\r\ny\r", {"a", "b", "c", "x", "", "y"}, 0, "1.1 2.1 3.1 4.1 5.1 6.1"},
      // commas, no final line end; a comma at the very end gives nothing
      // more; blanks skipped before, spaces dropped after, tabs kept
      {"a,b , c\t ,", {"a", "b", "c\t"}},
      // blanks then one delimiter after the quote
      {"\"a\"  ,b\n\"c\" \t\r\nd", {"a", "b", "c", "d"}},
      // quoted field keeps commas, spaces, line ends; a line end inside
      // quotes ends a line of the list too
      {"\" a,\r\nq \"\r\n\t z", {" a,\r\nq ", "z"}, 0, "1.1 3.1"},
      // text after a closing quote starts the next field; a quote inside an
      // unquoted field is kept
      {"\"ab\"cd,e\"f\r\"x\ry\"z", {"ab", "cd", "e\"f", "x\ry", "z"}, 0, "1.1 1.2 1.3 2.1 3.1"},
      // unclosed quote runs to the end
      {"\"ab,c\n", {"ab,c\n"}, 0, "1.1!"},
      // empty fields
      {"\"a, b\" , c\n\nd,,e , \n", {"a, b", "c", "", "d", "", "e", ""}},
      // only the first UTF-8 byte-order mark is skipped, and only a whole one
      {bom + bom + "a\n" + half + "b", {bom + "a", half + "b"}},
      // a mark alone is an empty list
      {bom, {}},
      // bytes kept as they stand; only blanks after the last line end
      {"a\0b\n\xD1\x84\xFF\n   "s, {"a\0b"s, "\xD1\x84\xFF"}, 62},
      // a field as long as the longest path
      {std::string(longest, 'p') + "\n", {std::string(longest, 'p')}},
      // a field one byte longer
      {std::string(longest + 1, 'p'), {}, 52},
      // a quote never closed, past the longest path
      {"a\n\"" + std::string(longest + 1, 'q'), {"a"}, 52},
      // clang-format on
  };
  for (const Case& c : cases) {
    for (std::size_t buffer_size : {1, 2, 3, 5, 64 * 1024}) {
      SCOPED_TRACE(testing::PrintToString(c.list.substr(0, 40)) +
                   " with a buffer of " + std::to_string(buffer_size));
      const Case outcome = ReadAll(c.list, buffer_size);
      EXPECT_EQ(outcome.fields, c.fields);
      EXPECT_EQ(outcome.failure, c.failure);
      EXPECT_EQ(c.places.empty() ? "" : outcome.places, c.places);
    }
  }
}

}  // namespace
}  // namespace mirlot
