// Reading side of ClTextAccessor: splitting by layout and quoting, storing
// into the record, number texts, comment lines and line numbers, the limits
// of a line, and a line written and read without allocating.
#include <gtest/gtest.h>

#include "platform/test_alloc_counter.h"
#include "platform/test_env.h"
#include "textio/TextFile.h"
#include "textio/textaccessor.h"
#include "textio/textio_test_util.h"

using textio_test::Column;
using textio_test::Fixture;

namespace {

// Three string columns of record buffers of 8 bytes at 0, 8, 16.
std::vector<StTAFORMAT> ThreeStrings(int32_t requiredSecond = 0) {
  return {Column("A", 4, 0, 0, 8, 0), Column("B", 4, 0, 8, 8, 0, requiredSecond),
          Column("C", 4, 0, 16, 8, 0)};
}

// A reader of three string columns over the given text.
struct Reader : Fixture {
  Reader(const std::string& input, ClTextAccessor::_Delimiter delimiter,
         ClTextAccessor::_Quote quote = ClTextAccessor::QUOTE_NONE, int32_t requiredSecond = 0)
      : Fixture(ThreeStrings(requiredSecond), 24, input) {
    accessor.SetMode(delimiter, quote);
  }
  // The three fields of the last stored line, joined with "|".
  std::string Fields() const { return record.Text(0) + "|" + record.Text(8) + "|" + record.Text(16); }
};

// The result of reading one line, and the fields stored on success.
std::string ReadOne(const std::string& line, ClTextAccessor::_Delimiter delimiter,
                    ClTextAccessor::_Quote quote = ClTextAccessor::QUOTE_NONE, int spaceFlag = 0) {
  Reader r(line, delimiter, quote);
  r.accessor.SetSpaceFlag(spaceFlag);
  long result = r.accessor.Read();
  return result == 0 ? r.Fields() : "=" + std::to_string(result);
}

}  // namespace

TEST(TextAccessorRead, CommaLayout) {
  EXPECT_EQ("a||c", ReadOne("a,,c\r\n", ClTextAccessor::DELIM_COMMA));
  EXPECT_EQ("=2", ReadOne("a,b\r\n", ClTextAccessor::DELIM_COMMA));
  EXPECT_EQ("=2", ReadOne("a,b,c,\r\n", ClTextAccessor::DELIM_COMMA));
  EXPECT_EQ("||", ReadOne(",,\n", ClTextAccessor::DELIM_COMMA));
  EXPECT_EQ("a|b|c", ReadOne("  a ,\tb\t, c  ", ClTextAccessor::DELIM_COMMA));

  // An empty unquoted field of a required column is refused; an empty
  // quoted one is a text.
  Reader required("a,,c\na,\"\",c\n", ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_NONE, 1);
  EXPECT_EQ(2, required.accessor.Read());
  EXPECT_EQ("a", required.record.Text(0)) << "columns before the failing one stay stored";
  EXPECT_EQ(0, required.accessor.Read());
  EXPECT_EQ("a||c", required.Fields());

  // Blanks inside an unquoted field: space flag 0 ends the field at the
  // first blank, space flag 1 keeps inner blanks and drops trailing ones.
  EXPECT_EQ("=2", ReadOne("a b,x,y", ClTextAccessor::DELIM_COMMA));
  EXPECT_EQ("ab|x|y", ReadOne("ab  ,x,y", ClTextAccessor::DELIM_COMMA));
  EXPECT_EQ("a b|x|a b",
            ReadOne("a b  ,x,a b  ", ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_NONE, 1));
  EXPECT_EQ("a\tb|x|y", ReadOne("a\tb\t,x,y", ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_NONE, 1));
}

TEST(TextAccessorRead, Quotes) {
  auto comma = ClTextAccessor::DELIM_COMMA;
  EXPECT_EQ("x,y|b|c", ReadOne("\"x,y\",b,c", comma, ClTextAccessor::QUOTE_DOUBLE));
  EXPECT_EQ("=2", ReadOne("'x',b,c", comma, ClTextAccessor::QUOTE_DOUBLE));
  EXPECT_EQ("=2", ReadOne("\"x\",b,c", comma, ClTextAccessor::QUOTE_SINGLE));
  EXPECT_EQ("x\"|y'|c", ReadOne("'x\"', \"y'\" ,c", comma, ClTextAccessor::QUOTE_NONE));
  // A doubled quote is no escape: the field ends at the first, the second
  // is a stray byte.
  EXPECT_EQ("=2", ReadOne("\"a\"\"b\",c,d", comma, ClTextAccessor::QUOTE_DOUBLE));
  EXPECT_EQ("=2", ReadOne("\"abc,d,e", comma, ClTextAccessor::QUOTE_DOUBLE));
  EXPECT_EQ("=2", ReadOne("a\"b,c,d", comma));
  EXPECT_EQ("=2", ReadOne("\"a\" b,c,d", comma, ClTextAccessor::QUOTE_DOUBLE));
}

TEST(TextAccessorRead, TabAndSpaceLayouts) {
  auto tab = ClTextAccessor::DELIM_TAB;
  EXPECT_EQ("a||c", ReadOne("a\t\tc", tab));
  EXPECT_EQ("a,b|x|y", ReadOne(" a,b \t x\ty ", tab));
  EXPECT_EQ("=2", ReadOne("a b\tx\ty", tab, ClTextAccessor::QUOTE_NONE, 1))
      << "a space always ends the field";
  EXPECT_EQ("a\tb|x|", ReadOne("'a\tb'\tx\t", tab));
  EXPECT_EQ("=2", ReadOne("a\tb", tab));

  auto space = ClTextAccessor::DELIM_SPACE;
  EXPECT_EQ("a|b|c", ReadOne("  a \t b  c  ", space));
  EXPECT_EQ("x y|z|w", ReadOne("\"x y\"z  w", space));
  EXPECT_EQ("=2", ReadOne("a b", space));
  EXPECT_EQ("=2", ReadOne("a b c d", space));
  EXPECT_EQ("=2", ReadOne("a b\"c\" d", space));
  EXPECT_EQ("=2", ReadOne("a b \"c", space));

  // An all-blank line is one empty field.
  Fixture one({Column("A", 4, 0, 0, 8, 0)}, 8, "  \n");
  std::strcpy(static_cast<char*>(one.record.data()), "old");
  one.accessor.SetMode(space, ClTextAccessor::QUOTE_NONE);
  EXPECT_EQ(0, one.accessor.Read());
  EXPECT_EQ("", one.record.Text(0));
}

TEST(TextAccessorRead, FixedLayoutAndFieldSizes) {
  Fixture f({Column("s", 3, 0, 0, 4, 0), Column("n", 2, 0, 4, 4, 1)}, 8, "ab 12\nabc12\nab12\nab 123\n");
  EXPECT_EQ(0, f.accessor.Read());
  EXPECT_EQ("ab ", f.record.Text(0)) << "the text keeps its padding";
  EXPECT_EQ(12, f.record.Get<int32_t>(4));
  EXPECT_EQ(0, f.accessor.Read());
  EXPECT_EQ("abc", f.record.Text(0));
  EXPECT_EQ(2, f.accessor.Read());
  EXPECT_EQ(2, f.accessor.Read());
  EXPECT_EQ(1, f.accessor.Read());

  // A string buffer of 5 bytes takes at most 4 and is NUL-filled behind.
  Fixture s({Column("s", 9, 0, 0, 5, 0)}, 6, "abcd\nabcde\nx\n");
  s.accessor.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_NONE);
  s.record.bytes[5] = 0x7F;
  EXPECT_EQ(0, s.accessor.Read());
  EXPECT_EQ("abcd", s.record.Text(0));
  EXPECT_EQ(2, s.accessor.Read());
  EXPECT_EQ(0, s.accessor.Read());
  EXPECT_EQ(std::string("x\0\0\0\0\x7f", 6), std::string(s.record.bytes.begin(), s.record.bytes.end()));
}

TEST(TextAccessorRead, NumberColumnsAndNumberTexts) {
  // Columns: currency, signed 4, signed 1, unsigned 2.
  std::vector<StTAFORMAT> table = {Column("c", 0, 0, 0, 8, 1), Column("i", 0, 0, 8, 4, 1),
                                   Column("b", 0, 0, 12, 1, 1), Column("u", 0, 0, 13, 2, 2)};
  Fixture f(table, 16, "-12.9,-12.9,-1.5,65535.9\n,  ,,\n");
  f.accessor.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_NONE);
  EXPECT_EQ(0, f.accessor.Read());
  EXPECT_EQ(-129000, f.record.Get<int64_t>(0));
  EXPECT_EQ(-12, f.record.Get<int32_t>(8));
  EXPECT_EQ(-1, f.record.Get<int8_t>(12));
  EXPECT_EQ(65535, f.record.Get<uint16_t>(13));
  EXPECT_EQ(0, f.accessor.Read()) << "blank fields leave the record as it was";
  EXPECT_EQ(-129000, f.record.Get<int64_t>(0));
  EXPECT_EQ(-12, f.record.Get<int32_t>(8));

  // Number texts, read as currency from a quoted field (so blanks and
  // commas stay inside the text).
  struct Case {
    const char* text;
    long result;
    int64_t value;
  } cases[] = {{"  1,234.5 ", 0, 12345000},
               {"-0.00005", 0, 0},
               {"1.23456", 0, 12345},
               {"+7", 0, 70000},
               {"12a3", 0, 1230000},
               {"-", 0, 0},
               {".", 0, 0},
               {"abc", 0, 0},
               {"\t-3.25\t ", 0, -32500},
               {"922337203685477.5807", 0, std::numeric_limits<int64_t>::max()},
               {"-922337203685477.5807", 0, -std::numeric_limits<int64_t>::max()},
               {"0000000000000000000000000001", 0, 10000},
               {"1.000000000000000000000000009", 0, 10000},
               {"1 2", 2, -1},
               {"1.2.3", 2, -1},
               {"5-", 2, -1},
               {"+-5", 2, -1},
               {"922337203685477.5808", 2, -1},
               {"-922337203685477.5808", 2, -1},
               {"922337203685478", 2, -1},
               {"99999999999999999999999999", 2, -1},
               {"", 1, -1},
               {" \t ", 1, -1}};
  for (const Case& c : cases) {
    Fixture n({Column("c", 0, 0, 0, 8, 1)}, 8, std::string("\"") + c.text + "\"\n");
    n.accessor.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_DOUBLE);
    n.record.Put<int64_t>(0, -1);
    EXPECT_EQ(c.result == 1 ? 0 : c.result, n.accessor.Read()) << c.text;
    EXPECT_EQ(c.value, n.record.Get<int64_t>(0)) << c.text;
  }
}

TEST(TextAccessorRead, CommentLinesAndLineNumbers) {
  static const char kMark[] = "#";
  Reader skip("#a\n#b\nx,y,z\n", ClTextAccessor::DELIM_COMMA);
  skip.accessor.SetCommentMark(kMark);
  EXPECT_EQ(0, skip.accessor.Read());
  EXPECT_EQ("x|y|z", skip.Fields());
  EXPECT_EQ(3, skip.accessor.GetPhysicalLineNo());
  EXPECT_EQ(1, skip.accessor.GetLogicalLineNo());
  EXPECT_EQ(1, skip.accessor.Read()) << "end of file right after the last line end";
  EXPECT_EQ(3, skip.accessor.GetPhysicalLineNo());
  EXPECT_EQ(1, skip.accessor.GetLogicalLineNo());

  Reader stop("#a\nx,y,z\n#b", ClTextAccessor::DELIM_COMMA);
  stop.accessor.SetCommentMark(kMark);
  stop.accessor.SetCommentSkip(0);
  EXPECT_EQ(3, stop.accessor.Read());
  char line[1024];
  std::memset(line, 'X', sizeof(line));
  stop.accessor.GetReadLine(line);
  EXPECT_STREQ("#a", line);
  EXPECT_EQ(0, line[1023]);
  EXPECT_EQ(1, stop.accessor.GetPhysicalLineNo());
  EXPECT_EQ(0, stop.accessor.GetLogicalLineNo());
  EXPECT_EQ(0, stop.accessor.Read());
  EXPECT_EQ(3, stop.accessor.Read());
  EXPECT_EQ(1, stop.accessor.Read());
  EXPECT_EQ(3, stop.accessor.GetPhysicalLineNo());
  EXPECT_EQ(1, stop.accessor.GetLogicalLineNo());

  // Without a mark every line is a data line, failed ones included.
  Reader plain("a,b,c\nbad\n\"x\",y,z\r\n", ClTextAccessor::DELIM_COMMA);
  EXPECT_EQ(0, plain.accessor.Read());
  EXPECT_EQ(2, plain.accessor.Read());
  EXPECT_EQ(0, plain.accessor.Read());
  EXPECT_EQ(3, plain.accessor.GetPhysicalLineNo());
  EXPECT_EQ(3, plain.accessor.GetLogicalLineNo());
  plain.accessor.GetReadLine(line);
  EXPECT_STREQ("\"x\",y,z", line) << "the CR before the LF is not kept";

  // An empty mark makes every line a comment; a mark longer than the line
  // matches nothing.
  Reader empty("a,b,c\n", ClTextAccessor::DELIM_COMMA);
  empty.accessor.SetCommentMark("");
  EXPECT_EQ(1, empty.accessor.Read());
  Reader longMark("//\n", ClTextAccessor::DELIM_SPACE);
  longMark.accessor.SetCommentMark("///");
  EXPECT_EQ(2, longMark.accessor.Read());
}

TEST(TextAccessorRead, LineEndsAndLongLines) {
  // A last line without its LF is still a line.
  Reader last("a,b,c\nd,e,f", ClTextAccessor::DELIM_COMMA);
  EXPECT_EQ(0, last.accessor.Read());
  EXPECT_EQ(0, last.accessor.Read());
  EXPECT_EQ("d|e|f", last.Fields());
  EXPECT_EQ(1, last.accessor.Read());
  EXPECT_EQ(2, last.accessor.GetPhysicalLineNo());

  // A line longer than 1023 bytes fails on its own and is consumed whole;
  // a line of exactly 1023 bytes before CR LF still fits.
  std::string fits = "a,b," + std::string(1019, 'c');
  std::string tooLong = "a,b," + std::string(3000, 'c');
  Fixture f({Column("A", 4, 0, 0, 8, 0), Column("B", 4, 0, 8, 8, 0), Column("C", 0, 0, 16, 2000, 0)}, 2016,
            fits + "\r\n" + tooLong + "\r\n" + "x,y,z\r\n" + fits);
  f.accessor.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_NONE);
  EXPECT_EQ(0, f.accessor.Read());
  EXPECT_EQ(1019u, f.record.Text(16).size());
  EXPECT_EQ(2, f.accessor.Read());
  char line[1024];
  f.accessor.GetReadLine(line);
  EXPECT_EQ(tooLong.substr(0, 1023), std::string(line, 1023));
  EXPECT_EQ(0, f.accessor.Read());
  EXPECT_EQ("z", f.record.Text(16));
  EXPECT_EQ(0, f.accessor.Read());
  EXPECT_EQ(1019u, f.record.Text(16).size());
  EXPECT_EQ(1, f.accessor.Read());
  EXPECT_EQ(4, f.accessor.GetPhysicalLineNo());

  // A long comment line is skipped like any other.
  Reader comment("#" + std::string(2000, '#') + "\nx,y,z\n", ClTextAccessor::DELIM_COMMA);
  comment.accessor.SetCommentMark("#");
  EXPECT_EQ(0, comment.accessor.Read());
  EXPECT_EQ("x|y|z", comment.Fields());

  // Bytes of any value, NUL included, are part of the line.
  Reader garbage(std::string("a\0b,\xff\x82,c\n", 9), ClTextAccessor::DELIM_COMMA);
  EXPECT_EQ(0, garbage.accessor.Read());
  EXPECT_EQ("\xff\x82", garbage.record.Text(8));
}

TEST(TextAccessorRead, FieldLimits) {
  // More fields than the line has columns, far more than 100.
  EXPECT_EQ("=2", ReadOne(std::string(300, ',') + "\n", ClTextAccessor::DELIM_COMMA));
  EXPECT_EQ("=2", ReadOne(std::string(300, '\t') + "\n", ClTextAccessor::DELIM_TAB));
  std::string many;
  for (int i = 0; i < 300; ++i) many += "x ";
  EXPECT_EQ("=2", ReadOne(many + "\n", ClTextAccessor::DELIM_SPACE));

  // A format of 100 columns reads; one of 101 columns cannot be read.
  for (int columns : {100, 101}) {
    std::vector<StTAFORMAT> table;
    for (int i = 0; i < columns; ++i) table.push_back(Column("n", 1, 0, i, 1, 1));
    std::string line;
    for (int i = 0; i < columns; ++i) line += std::to_string(i % 10) + (i + 1 < columns ? "," : "\n");
    Fixture f(table, 101, line + line);
    f.accessor.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_NONE);
    EXPECT_EQ(columns == 100 ? 0 : 2, f.accessor.Read()) << columns;
    EXPECT_EQ(columns == 100 ? 9 : 0, f.record.Get<int8_t>(99)) << columns;
    f.accessor.SetMode(ClTextAccessor::DELIM_FIXED, ClTextAccessor::QUOTE_NONE);
    EXPECT_EQ(2, f.accessor.Read()) << "fixed layout, " << columns;
  }
}

TEST(TextAccessorRead, OrdersAndRotationApplyToReading) {
  Reader r("1,2\n1,2\n1,2,3\n", ClTextAccessor::DELIM_COMMA);
  StTAORDER order[] = {{2}, {0}};
  r.accessor.SetOrder(order, 2);
  r.accessor.SetSelectFlag(0);
  EXPECT_EQ(0, r.accessor.Read());
  EXPECT_EQ("2||1", r.Fields());
  StTAORDER bad[] = {{0}, {7}};
  r.accessor.SetOrder(bad, 2);
  EXPECT_EQ(-1, r.accessor.Read());
  r.accessor.SetSelectFlag(1);
  r.accessor.RotateFormat(0, 1, 3);  // C A B
  EXPECT_EQ(0, r.accessor.Read());
  EXPECT_EQ("2|3|1", r.Fields());
}

TEST(TextAccessorRead, WrittenLinesReadBack) {
  std::vector<StTAFORMAT> table = {Column("s", 6, 0, 0, 7, 0), Column("i", 6, 0, 8, 4, 1),
                                   Column("c", 12, 2, 12, 8, 1), Column("u", 4, 0, 20, 2, 2)};
  for (auto delimiter : {ClTextAccessor::DELIM_FIXED, ClTextAccessor::DELIM_COMMA, ClTextAccessor::DELIM_TAB,
                         ClTextAccessor::DELIM_SPACE}) {
    Fixture out(table, 24);
    out.record.PutText(0, delimiter == ClTextAccessor::DELIM_FIXED ? "ab  cd" : "ab,cd");
    out.record.Put<int32_t>(8, -4321);
    out.record.Put<int64_t>(12, -12345600);
    out.record.Put<uint16_t>(20, 999);
    out.accessor.SetMode(delimiter, delimiter == ClTextAccessor::DELIM_FIXED ? ClTextAccessor::QUOTE_NONE
                                                                             : ClTextAccessor::QUOTE_DOUBLE);
    ASSERT_EQ(0, out.accessor.Write());
    Fixture in(table, 24, out.Output());
    in.accessor.SetMode(delimiter, delimiter == ClTextAccessor::DELIM_FIXED ? ClTextAccessor::QUOTE_NONE
                                                                            : ClTextAccessor::QUOTE_DOUBLE);
    ASSERT_EQ(0, in.accessor.Read()) << out.Output();
    EXPECT_EQ(out.record.bytes, in.record.bytes) << out.Output();
  }
}

TEST(TextAccessorRead, WritingAndReadingALineAllocateNothing) {
  testenv::ScratchDir dir("textio_alloc");
  std::string path = dir.Windows("rows.csv");

  // A line of every kind of column, about 750 bytes, so that the file
  // buffer is written out and refilled many times.
  std::vector<StTAFORMAT> table;
  for (int i = 0; i < 10; ++i) {
    table.push_back(Column("s", 40, 0, i * 64, 41, 0));
    table.push_back(Column("c", 0, 3, i * 64 + 44, 8, 1));
    table.push_back(Column("i", 0, 0, i * 64 + 52, 4, 1));
    table.push_back(Column("u", 0, 0, i * 64 + 56, 2, 2));
  }
  textio_test::Record record(10 * 64);
  for (int i = 0; i < 10; ++i) {
    record.PutText(i * 64, "名称ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
    record.Put<int64_t>(i * 64 + 44, -123456789010LL * (i + 1));
    record.Put<int32_t>(i * 64 + 52, -2000000000 + i);
    record.Put<uint16_t>(i * 64 + 56, 65000);
  }
  ClTextAccessor writer(const_cast<char*>("OUT"), table.data(), static_cast<long>(table.size()),
                        record.data());
  writer.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_DOUBLE);
  ClTextFile out;
  ASSERT_EQ(0, out.Open(path.c_str(), static_cast<ClTextFile::TFOpenMode>(ClTextFile::TF_WRITE |
                                                                          ClTextFile::TF_OVERWRITE)));
  out.Attach(&writer);
  const int kLines = 200;
  long before = test_alloc::Count();
  ::operator delete(::operator new(16));
  ASSERT_EQ(before + 1, test_alloc::Count()) << "the counter sees allocations";
  before = test_alloc::Count();
  long failures = 0;
  for (int i = 0; i < kLines; ++i) failures += writer.Write() != 0;
  long during = test_alloc::Count() - before;
  EXPECT_EQ(0, failures);
  EXPECT_EQ(0, during) << "allocations while writing";
  ASSERT_EQ(0, out.Close());

  textio_test::Record back(10 * 64);
  ClTextAccessor reader(const_cast<char*>("IN"), table.data(), static_cast<long>(table.size()), back.data());
  reader.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_DOUBLE);
  reader.SetCommentMark("#");
  ClTextFile in;
  ASSERT_EQ(0, in.Open(path.c_str(), ClTextFile::TF_READ));
  in.Attach(&reader);
  before = test_alloc::Count();
  long read = 0;
  long result;
  while ((result = reader.Read()) == 0) ++read;
  during = test_alloc::Count() - before;
  EXPECT_EQ(1, result);
  EXPECT_EQ(kLines, read);
  EXPECT_EQ(0, during) << "allocations while reading";
  EXPECT_EQ(record.bytes, back.bytes);
  in.Close();
}
