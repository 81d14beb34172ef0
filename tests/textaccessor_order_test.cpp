// Saved column orders: kept in the package's store per data set and accessor
// name, and read back into the caller's order array.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

#include "component/component.h"
#include "package/store.h"
#include "package/test_store.h"
#include "textio/textio_test_util.h"

using textio_test::Column;

namespace {

class SavedOrderTest : public StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    MakeStore();
    ASSERT_EQ(0, ClZelConnect::Inst()->Initiate());
    for (int i = 0; i < 4; ++i) table_.push_back(Column("c", 1, 0, i * 2, 2, 0));
  }

  // Stores raw column bytes under a data ID and accessor name.
  void StoreRaw(const char* dataId, const char* name, const std::string& columns) {
    sqlite3* db = package::TheStore().db();
    ASSERT_NE(nullptr, db);
    sqlite3_stmt* stmt = nullptr;
    ASSERT_EQ(SQLITE_OK,
              sqlite3_prepare_v2(db, "INSERT INTO saved_orders VALUES (?, ?, ?)", -1, &stmt, nullptr));
    sqlite3_bind_text(stmt, 1, dataId, -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(stmt, 2, name, -1, SQLITE_TRANSIENT);
    sqlite3_bind_blob(stmt, 3, columns.data(), static_cast<int>(columns.size()), SQLITE_TRANSIENT);
    EXPECT_EQ(SQLITE_DONE, sqlite3_step(stmt));
    sqlite3_finalize(stmt);
  }

  static unsigned char* Id(const char* id) { return reinterpret_cast<unsigned char*>(const_cast<char*>(id)); }

  std::vector<StTAFORMAT> table_;
  char record_[8] = {'a', 0, 'b', 0, 'c', 0, 'd', 0};
};

}  // namespace

TEST_F(SavedOrderTest, SaveAndLoadByDataSetAndName) {
  ClTextAccessor saver(const_cast<char*>("G_INFO"), table_.data(), 4, record_);
  StTAORDER order[] = {{3}, {0}, {2}};
  saver.SetOrder(order, 3);
  EXPECT_EQ(0, saver.SaveOrder(Id("D001")));
  StTAORDER other[] = {{1}};
  saver.SetOrder(other, 1);
  EXPECT_EQ(0, saver.SaveOrder(Id("D002")));

  ClTextAccessor loader(const_cast<char*>("G_INFO"), table_.data(), 4, record_);
  StTAORDER room[100] = {};
  loader.SetOrder(room, 0);
  EXPECT_EQ(0, loader.LoadOrder(Id("D001")));
  EXPECT_EQ(3, loader.GetOrderCount());
  EXPECT_EQ(3, room[0].column);
  EXPECT_EQ(0, room[1].column);
  EXPECT_EQ(2, room[2].column);
  std::stringstream out;
  loader.Attach(&out);
  loader.SetMode(ClTextAccessor::DELIM_COMMA, ClTextAccessor::QUOTE_NONE);
  loader.SetSelectFlag(0);
  EXPECT_EQ(0, loader.Write());
  EXPECT_EQ("d,a,c\r\n", out.str());

  // Saving again replaces the order; another name or data set has none.
  EXPECT_EQ(0, saver.SaveOrder(Id("D001")));
  EXPECT_EQ(0, loader.LoadOrder(Id("D001")));
  EXPECT_EQ(1, loader.GetOrderCount());
  EXPECT_EQ(1, room[0].column);
  ClTextAccessor stranger(const_cast<char*>("G_SSC"), table_.data(), 4, record_);
  stranger.SetOrder(room, 1);
  EXPECT_EQ(-1, stranger.LoadOrder(Id("D001")));
  EXPECT_EQ(-1, loader.LoadOrder(Id("D003")));
  EXPECT_EQ(1, loader.GetOrderCount()) << "a failed load leaves the order";
  EXPECT_EQ(-1, loader.LoadOrder(nullptr));

  // The key is the name cut to 9 bytes.
  ClTextAccessor longName(const_cast<char*>("G_HEADER_LONG"), table_.data(), 4, record_);
  longName.SetOrder(order, 2);
  EXPECT_EQ(0, longName.SaveOrder(Id("D001")));
  ClTextAccessor cut(const_cast<char*>("G_HEADER_"), table_.data(), 4, record_);
  cut.SetOrder(room, 0);
  EXPECT_EQ(0, cut.LoadOrder(Id("D001")));
  EXPECT_EQ(2, cut.GetOrderCount());
}

TEST_F(SavedOrderTest, OrdersTheRecordCannotHoldAreRefused) {
  ClTextAccessor saver(const_cast<char*>("G_INFO"), table_.data(), 4, record_);
  StTAORDER wide[] = {{0}, {128}};
  saver.SetOrder(wide, 2);
  EXPECT_EQ(-1, saver.SaveOrder(Id("D001"))) << "a column number beyond one signed byte";
  StTAORDER many[101] = {};
  saver.SetOrder(many, 101);
  EXPECT_EQ(-1, saver.SaveOrder(Id("D001")));
  saver.SetOrder(many, 100);
  EXPECT_EQ(0, saver.SaveOrder(Id("D001")));

  // Stored bytes are sign-extended; such a column is refused when used.
  StoreRaw("D009", "G_INFO", std::string("\x01\xff", 2));
  StTAORDER room[100] = {};
  saver.SetOrder(room, 0);
  EXPECT_EQ(0, saver.LoadOrder(Id("D009")));
  EXPECT_EQ(2, saver.GetOrderCount());
  EXPECT_EQ(-1, room[1].column);
  std::stringstream out;
  saver.Attach(&out);
  saver.SetSelectFlag(0);
  EXPECT_EQ(-1, saver.Write());

  // A closed store refuses both ways.
  ClZelConnect::Inst()->Release();
  EXPECT_EQ(-1, saver.SaveOrder(Id("D001")));
  EXPECT_EQ(-1, saver.LoadOrder(Id("D001")));
  EXPECT_EQ(2, saver.GetOrderCount());
}
