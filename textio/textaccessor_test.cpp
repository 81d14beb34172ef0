// Writing side of ClTextAccessor: exact bytes of every layout, masks, orders,
// rotation, the column-name lines, status reporting and stream failures.
#include "textio/textaccessor.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <streambuf>

#include "component/component.h"
#include "textio/status.h"
#include "textio/textio_test_util.h"

using textio_test::Column;
using textio_test::Fixture;

namespace {

// Columns A, B, C: three strings of width 4 at offsets 0, 8, 16.
std::vector<StTAFORMAT> ThreeStrings() {
  return {Column("A", 4, 0, 0, 8, 0), Column("B", 4, 0, 8, 8, 0), Column("C", 4, 0, 16, 8, 0)};
}

// Columns A, B, C holding x, y, z, in the given layout without quotes.
struct XYZ : Fixture {
  explicit XYZ(ClTextAccessor::_Delimiter delimiter) : Fixture(ThreeStrings(), 24) {
    record.PutText(0, "x");
    record.PutText(8, "y");
    record.PutText(16, "z");
    accessor.SetMode(delimiter, ClTextAccessor::QUOTE_NONE);
  }
};

}  // namespace

TEST(TextAccessorWrite, CommaLayoutValuesAndCurrencyDigits) {
  Fixture f({Column("s", 2, 0, 0, 8, 0), Column("i", 0, 0, 8, 4, 1), Column("c1", 0, 2, 16, 8, 1),
             Column("c2", 0, 2, 24, 8, 1), Column("c3", 0, 0, 24, 8, 1)},
            32);
  f.record.PutText(0, "ABC");
  f.record.Put<int32_t>(8, -12);
  f.record.Put<int64_t>(16, 12345678);
  f.record.Put<int64_t>(24, -5000);
  ASSERT_EQ(0, f.accessor.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_NONE));
  EXPECT_EQ(0, f.accessor.Write());
  EXPECT_EQ("AB,-12,1234.56,-0.50,-0\r\n", f.Output());
  EXPECT_EQ(-5000, f.record.Get<int64_t>(24)) << "the record is left unchanged";

  // Fraction digits are cut, never rounded; the extremes of the currency
  // range are written without overflow.
  struct Case {
    int64_t value;
    int32_t decimals;
    const char* text;
  } cases[] = {{12345, 3, "1.234"},
               {12345, 4, "1.2345"},
               {12345, 1, "1.2"},
               {19999, 2, "1.99"},
               {-1, 4, "-0.0001"},
               {-9999, 0, "-0"},
               {0, 2, "0.00"},
               {std::numeric_limits<int64_t>::max(), 4, "922337203685477.5807"},
               {std::numeric_limits<int64_t>::min(), 4, "-922337203685477.5808"}};
  for (const Case& c : cases) {
    Fixture g({Column("c", 0, c.decimals, 0, 8, 1)}, 8);
    g.record.Put<int64_t>(0, c.value);
    g.accessor.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_NONE);
    EXPECT_EQ(0, g.accessor.Write());
    EXPECT_EQ(std::string(c.text) + "\r\n", g.Output()) << c.value << " with " << c.decimals;
  }

  // Signed and unsigned integers of every size.
  Fixture n({Column("i1", 0, 0, 0, 1, 1), Column("i2", 0, 0, 1, 2, 1), Column("u1", 0, 0, 3, 1, 2),
             Column("u2", 0, 0, 4, 2, 2), Column("u4", 0, 0, 6, 4, 2)},
            10);
  n.record.Put<int8_t>(0, -128);
  n.record.Put<int16_t>(1, -300);
  n.record.Put<uint8_t>(3, 255);
  n.record.Put<uint16_t>(4, 65535);
  n.record.Put<uint32_t>(6, 4294967295u);
  n.accessor.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_NONE);
  EXPECT_EQ(0, n.accessor.Write());
  EXPECT_EQ("-128,-300,255,65535,4294967295\r\n", n.Output());
}

TEST(TextAccessorWrite, UnsignedColumnWithDecimalsWritesNoFraction) {
  // The value is 4 bytes at the very end of the record: nothing beyond it
  // may be read for a fraction.
  Fixture comma({Column("u", 0, 2, 4, 4, 2)}, 8);
  comma.record.Put<uint32_t>(4, 1234);
  comma.accessor.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_NONE);
  EXPECT_EQ(0, comma.accessor.Write());
  EXPECT_EQ("1234\r\n", comma.Output());

  // Without a fraction the value keeps the whole width of its fixed field.
  Fixture fixed({Column("u", 8, 2, 0, 2, 2)}, 2);
  fixed.record.Put<uint16_t>(0, 77);
  EXPECT_EQ(0, fixed.accessor.Write());
  EXPECT_EQ("      77\r\n", fixed.Output());
}

TEST(TextAccessorWrite, QuotesAndSeparators) {
  // A double-quoted string keeps its quote and comma unescaped; numbers are
  // never quoted.
  Fixture f({Column("s", 10, 0, 0, 10, 0), Column("n", 0, 0, 12, 4, 1)}, 16);
  f.record.PutText(0, "a\"b,c");
  f.record.Put<int32_t>(12, 7);
  ASSERT_EQ(0, f.accessor.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_DOUBLE));
  f.accessor.Write();
  f.accessor.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_SINGLE);
  f.accessor.Write();
  f.accessor.SetMode(ClTextAccessor::DELIM_TAB, ClTextAccessor::QUOTE_NONE);
  f.accessor.Write();
  f.accessor.SetMode(ClTextAccessor::DELIM_SPACE, ClTextAccessor::QUOTE_DOUBLE);
  f.accessor.Write();
  // A layout value outside the enumeration has no separator and still quotes.
  f.accessor.SetMode(static_cast<ClTextAccessor::_Delimiter>(5), ClTextAccessor::QUOTE_SINGLE);
  f.accessor.Write();
  EXPECT_EQ(
      "\"a\"b,c\",7\r\n"
      "'a\"b,c',7\r\n"
      "a\"b,c\t7\r\n"
      "\"a\"b,c\" 7\r\n"
      "'a\"b,c'7\r\n",
      f.Output());

  // The string is cut at its width by plain bytes, even inside a
  // double-byte character, and never read beyond its buffer.
  Fixture cut({Column("s", 2, 0, 0, 4, 0), Column("t", 10, 0, 4, 3, 0)}, 8);
  std::memcpy(cut.record.data(),
              "a\x82\xa0"
              "b"
              "xyz"
              "!",
              8);  // "xyz" has no terminator
  cut.accessor.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_NONE);
  EXPECT_EQ(0, cut.accessor.Write());
  EXPECT_EQ("a\x82,xyz\r\n", cut.Output());
}

TEST(TextAccessorWrite, FixedLayout) {
  Fixture f({Column("s", 5, 0, 0, 8, 0), Column("i", 5, 0, 8, 4, 1), Column("c", 8, 2, 12, 8, 1),
             Column("t", 1, 3, 20, 8, 1)},
            28);
  f.record.PutText(0, "AB");
  f.record.Put<int32_t>(8, -12);
  f.record.Put<int64_t>(12, 12345678);
  f.record.Put<int64_t>(20, 1230);
  EXPECT_EQ(0, f.accessor.Write()) << "fixed is the layout after construction";
  EXPECT_EQ("AB     -12 1234.560.123\r\n", f.Output());

  // A number longer than its field is written whole, so the line grows.
  Fixture wide({Column("i", 2, 0, 0, 4, 1), Column("s", 2, 0, 4, 4, 0)}, 8);
  wide.record.Put<int32_t>(0, 12345);
  wide.record.PutText(4, "q");
  EXPECT_EQ(0, wide.accessor.Write());
  EXPECT_EQ("12345q \r\n", wide.Output());

  // A zero-column table, and an empty order, give just the line end.
  Fixture none({}, 1);
  EXPECT_EQ(0, none.accessor.Write());
  EXPECT_EQ("\r\n", none.Output());
}

TEST(TextAccessorWrite, MasksAreByColumnAndBlankTheValue) {
  XYZ comma(ClTextAccessor::DELIM_COMMA);
  EXPECT_EQ(0, comma.accessor.GetMask(1)) << "a fresh accessor masks nothing";
  ASSERT_EQ(0, comma.accessor.SetMask(1, 1));
  comma.accessor.Write();
  ASSERT_EQ(0, comma.accessor.SetMask(1, 2));
  comma.accessor.Write();
  EXPECT_EQ("x,,z\r\nx, ,z\r\n", comma.Output());

  XYZ fixed(ClTextAccessor::DELIM_FIXED);
  fixed.accessor.SetMask(1, 1);
  fixed.accessor.Write();
  fixed.accessor.SetMask(1, 2);
  fixed.accessor.Write();
  EXPECT_EQ("x       z   \r\nx       z   \r\n", fixed.Output());

  // Bad column numbers are refused; only the low byte is kept.
  EXPECT_EQ(-1, fixed.accessor.SetMask(3, 1));
  EXPECT_EQ(-1, fixed.accessor.SetMask(-1, 1));
  EXPECT_EQ(-1, fixed.accessor.GetMask(-1));
  EXPECT_EQ(-1, fixed.accessor.GetMask(3));
  EXPECT_EQ(0, fixed.accessor.SetMask(0, 0x1FF));
  EXPECT_EQ(255, fixed.accessor.GetMask(0));

  // All masks at once: the first count columns, the rest unchanged.
  const unsigned char masks[3] = {0, 1, 2};
  EXPECT_EQ(0, fixed.accessor.SetMasks(masks, 2));
  EXPECT_EQ(0, fixed.accessor.GetMask(0));
  EXPECT_EQ(1, fixed.accessor.GetMask(1));
  EXPECT_EQ(0, fixed.accessor.GetMask(2));
  EXPECT_EQ(-1, fixed.accessor.SetMasks(masks, 4));
  EXPECT_EQ(-1, fixed.accessor.SetMasks(masks, -1));
  EXPECT_EQ(-1, fixed.accessor.SetMasks(nullptr, 1));
  EXPECT_EQ(0, comma.accessor.SetMasks(masks, 3));
  comma.accessor.Write();
  EXPECT_EQ("x,,z\r\nx, ,z\r\nx,, \r\n", comma.Output());
}

TEST(TextAccessorWrite, TablesBeyondTwoHundredColumnsAndWideColumns) {
  // 250 one-byte string columns: every mask entry is the table's own.
  std::vector<StTAFORMAT> table;
  for (int i = 0; i < 250; ++i) table.push_back(Column("c", 1, 0, i * 2, 2, 0));
  Fixture f(table, 500);
  for (int i = 0; i < 250; ++i) f.record.PutText(i * 2, "v");
  f.accessor.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_NONE);
  ASSERT_EQ(0, f.accessor.SetMask(249, 1));
  ASSERT_EQ(0, f.accessor.SetMask(220, 2));
  EXPECT_EQ(1, f.accessor.GetMask(249));
  EXPECT_EQ(0, f.accessor.GetMask(248));
  ASSERT_EQ(0, f.accessor.Write());
  std::string expected;
  for (int i = 0; i < 250; ++i)
    expected += std::string(i == 249 ? "" : i == 220 ? " " : "v") + (i < 249 ? "," : "");
  EXPECT_EQ(expected + "\r\n", f.Output());

  // A column of 3000 bytes is written whole, padded or quoted.
  std::string text(2999, 'w');
  text[2000] = '!';
  Fixture wide({Column("s", 3000, 0, 0, 3001, 0), Column("t", 5000, 0, 0, 3001, 0)}, 3001);
  wide.record.PutText(0, text.c_str());
  EXPECT_EQ(0, wide.accessor.Write());
  wide.accessor.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_DOUBLE);
  EXPECT_EQ(0, wide.accessor.Write());
  EXPECT_EQ(text + " " + text + std::string(2001, ' ') + "\r\n\"" + text + "\",\"" + text + "\"\r\n",
            wide.Output());
}

TEST(TextAccessorWrite, SetModeAndAttachReportTheirStatus) {
  XYZ f(ClTextAccessor::DELIM_COMMA);
  ClMsgMgr* messages = ClMsgMgr::Inst();
  EXPECT_EQ(textio::kInvalidArgument,
            f.accessor.SetMode(ClTextAccessor::DELIM_FIXED, ClTextAccessor::QUOTE_DOUBLE));
  EXPECT_EQ(textio::kInvalidArgument, messages->GetLastErrorCode());
  ASSERT_NE(nullptr, messages->GetLastErrorFile());
  EXPECT_STREQ("textaccessor", messages->GetLastErrorFile());
  EXPECT_GT(messages->GetLastErrorLine(), 0);
  f.accessor.Write();
  EXPECT_EQ("x,y,z\r\n", f.Output()) << "the refused mode left the comma layout in force";

  EXPECT_EQ(0, f.accessor.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_DOUBLE));
  EXPECT_EQ(0, messages->GetLastErrorCode());
  EXPECT_EQ(nullptr, messages->GetLastErrorFile());
  EXPECT_EQ(0, messages->GetLastErrorLine());

  messages->SetLastError(-5, "elsewhere", 9);
  EXPECT_EQ(0, f.accessor.Attach(nullptr));
  EXPECT_EQ(0, messages->GetLastErrorCode());
  EXPECT_EQ(nullptr, messages->GetLastErrorFile());
}

TEST(TextAccessorWrite, PrefixesAndColumnNameLines) {
  Fixture f({Column("AB", 1, 0, 0, 2, 0), Column("CDE", 1, 0, 2, 2, 0)}, 4);
  f.record.PutText(0, "x");
  f.record.PutText(2, "y");
  f.accessor.ItemNameWrite();
  f.accessor.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_SINGLE);
  f.accessor.ItemNameWrite();
  f.accessor.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_NONE);
  EXPECT_EQ(0, f.accessor.Write2(2));
  f.accessor.SetMode(ClTextAccessor::DELIM_TAB, ClTextAccessor::QUOTE_NONE);
  EXPECT_EQ(0, f.accessor.Write2(2));
  EXPECT_EQ(0, f.accessor.ItemNameWrite2(1));
  EXPECT_EQ(0, f.accessor.Write2(0));
  EXPECT_EQ(
      "AB  CDE\r\n"
      "'AB','CDE'\r\n"
      "\"\",\"\",x,y\r\n"
      "\"\",\"\",x\ty\r\n"
      "\"\",AB\tCDE\r\n"
      "x\ty\r\n",
      f.Output());

  // Masked names: spaces of the name's length in the fixed layout.
  Fixture m({Column("AB", 1, 0, 0, 2, 0), Column("CDE", 1, 0, 2, 2, 0), Column("F", 1, 0, 0, 2, 0)}, 4);
  m.accessor.SetMask(1, 1);
  m.accessor.ItemNameWrite();
  m.accessor.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_DOUBLE);
  m.accessor.ItemNameWrite();
  m.accessor.SetMask(1, 2);
  m.accessor.ItemNameWrite();
  EXPECT_EQ("AB     F\r\n\"AB\",,\"F\"\r\n\"AB\", ,\"F\"\r\n", m.Output());

  // A name that fills its whole field is written without reading past it.
  StTAFORMAT full = Column("", 1, 0, 0, 2, 0);
  std::memset(full.name, 'N', sizeof(full.name));
  Fixture n({full}, 2);
  n.accessor.ItemNameWrite();
  EXPECT_EQ(std::string(36, 'N') + "\r\n", n.Output());
}

TEST(TextAccessorWrite, CommentLinesAreWrittenAsGiven) {
  XYZ f(ClTextAccessor::DELIM_COMMA);
  f.accessor.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_DOUBLE);
  char text[] = "# a, \"b\"\t\x82\xa0";
  EXPECT_EQ(0, f.accessor.CommentWrite(text));
  f.accessor.SetMode(ClTextAccessor::DELIM_FIXED, ClTextAccessor::QUOTE_NONE);
  char empty[] = "";
  EXPECT_EQ(0, f.accessor.CommentWrite(empty));
  std::string longText(3000, 'L');
  EXPECT_EQ(0, f.accessor.CommentWrite(longText.data()));
  EXPECT_EQ("# a, \"b\"\t\x82\xa0\r\n\r\n" + longText + "\r\n", f.Output());
}

TEST(TextAccessorWrite, OrdersSelectAndResolveColumns) {
  XYZ f(ClTextAccessor::DELIM_COMMA);
  StTAORDER order[] = {{2}, {0}};
  ASSERT_EQ(0, f.accessor.SetOrder(order, 2));
  EXPECT_EQ(order, f.accessor.GetOrder());
  EXPECT_EQ(2, f.accessor.GetOrderCount());
  f.accessor.Write();  // select flag 1: all columns in table order
  f.accessor.SetSelectFlag(0);
  f.accessor.Write();
  f.accessor.SetMask(0, 1);  // the mask follows the column, not the position
  f.accessor.Write();
  f.accessor.ItemNameWrite();
  f.accessor.SetMask(0, 0);
  f.accessor.SetOrder(order, 0);  // an empty order is ignored
  f.accessor.Write();
  EXPECT_EQ("x,y,z\r\nz,x\r\nz,\r\nC,\r\nx,y,z\r\n", f.Output());

  // A column number outside the table stops the line with -1.
  StTAORDER bad[] = {{0}, {3}};
  f.accessor.SetOrder(bad, 2);
  f.stream.str("");
  EXPECT_EQ(-1, f.accessor.Write());
  EXPECT_EQ("x,", f.Output());
  EXPECT_EQ(-1, f.accessor.ItemNameWrite());
}

TEST(TextAccessorWrite, RotationMovesBlocksOfTheWorkingTable) {
  Fixture f({Column("A", 1, 0, 0, 2, 0), Column("B", 1, 0, 2, 2, 0), Column("C", 1, 0, 4, 2, 0),
             Column("D", 1, 0, 6, 2, 0)},
            8);
  f.accessor.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_NONE);
  auto names = [&f] {
    f.stream.str("");
    f.accessor.ItemNameWrite();
    return f.Output();
  };
  EXPECT_EQ(0, f.accessor.RotateFormat(0, 2, 3));
  EXPECT_EQ("B,C,A,D\r\n", names());
  EXPECT_EQ(0, f.accessor.RotateFormat(1, 3, 3));  // rotations accumulate: C A D -> A D C
  EXPECT_EQ("B,A,D,C\r\n", names());
  EXPECT_STREQ("A", f.accessor.GetFormat()[1].name);

  // Refused: start + 1 not below the count, a block past the end, a
  // destination outside the block, an empty block, a negative start.
  EXPECT_EQ(1, f.accessor.RotateFormat(3, 3, 1));
  EXPECT_EQ(1, f.accessor.RotateFormat(2, 2, 3));
  EXPECT_EQ(1, f.accessor.RotateFormat(1, 0, 2));
  EXPECT_EQ(1, f.accessor.RotateFormat(0, 2, 2));
  EXPECT_EQ(1, f.accessor.RotateFormat(0, 0, 0));
  EXPECT_EQ(1, f.accessor.RotateFormat(-1, 0, 2));
  EXPECT_EQ("B,A,D,C\r\n", names());

  // The mask stays with the positions; ResetRotate brings the table back.
  f.accessor.SetMask(0, 1);
  EXPECT_EQ(",A,D,C\r\n", names());
  f.accessor.ResetRotate();
  EXPECT_EQ(",B,C,D\r\n", names());
  EXPECT_EQ(4, f.accessor.GetFormatCount());
}

namespace {

// A stream buffer that takes at most `room` bytes and then refuses.
class LimitedBuffer : public std::streambuf {
 public:
  explicit LimitedBuffer(size_t room) : room_(room) {}
  std::string text;

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    if (text.size() >= room_) return traits_type::eof();
    text.push_back(traits_type::to_char_type(c));
    return c;
  }

 private:
  size_t room_;
};

}  // namespace

TEST(TextAccessorWrite, StreamFailuresAndMissingStream) {
  // Nothing attached: every writing and reading operation returns -1.
  std::vector<StTAFORMAT> table = ThreeStrings();
  char record[24] = "x";
  ClTextAccessor lone(const_cast<char*>("LONE"), table.data(), 3, record);
  char text[] = "t";
  EXPECT_EQ(-1, lone.Write());
  EXPECT_EQ(-1, lone.Write2(1));
  EXPECT_EQ(-1, lone.ItemNameWrite());
  EXPECT_EQ(-1, lone.ItemNameWrite2(1));
  EXPECT_EQ(-1, lone.CommentWrite(text));
  EXPECT_EQ(-1, lone.Read());

  // A stream that fills up: the line stops at the first failed check and
  // the rest, its line end included, is not written.
  XYZ f(ClTextAccessor::DELIM_COMMA);
  LimitedBuffer buffer(3);
  std::iostream limited(&buffer);
  f.accessor.Attach(&limited);
  EXPECT_EQ(-1, f.accessor.Write());
  EXPECT_EQ("x,y", buffer.text);

  LimitedBuffer none(0);
  std::iostream full(&none);
  f.accessor.Attach(&full);
  f.accessor.SetMask(0, 1);  // a masked column is not checked, the separator is
  EXPECT_EQ(-1, f.accessor.Write());
  full.clear();
  EXPECT_EQ(-1, f.accessor.CommentWrite(text));
  full.clear(std::ios_base::badbit);
  EXPECT_EQ(-1, f.accessor.ItemNameWrite());
  EXPECT_EQ("", none.text);
}
