// The connection, data sets, users, folders and saved orders over the store,
// and stores that cannot be used.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "package/test_store.h"
#include "platform/cp932.h"
#include "platform/recording_message_box.h"

namespace {

class UnusableStore : public StoreTest {
 protected:
  // Initiate must refuse with one line on standard error naming the store,
  // and everything after it must stay safe.
  void ExpectRefused(const std::string& reason) {
    testing::internal::CaptureStderr();
    long rc = ClZelConnect::Inst()->Initiate();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(rc, 0);
    EXPECT_NE(err.find(path_), std::string::npos) << err;
    EXPECT_NE(err.find(reason), std::string::npos) << err;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
    EXPECT_NE(ClZelConnect::Inst()->ExpSysLink(), 0);
    char user[65] = "x";
    ClDataMgr::Inst()->GetSysUserObject()->GetCurUserID(user);
    EXPECT_STREQ(user, "");
    StDATAINFO* selected = ClDataMgr::Inst()->GetSetObject(5, 1)->GetSelectedInfo();
    EXPECT_EQ(selected->szDataID[0], '\0');
    ClRuleGenkashokyaku rule;
    rule.SetCurDataID("D1");
    EXPECT_EQ(WalkCount(rule), 0);
    EXPECT_STREQ(ClFileMgr::Inst()->GetAppFolderPath(0), "");
    EXPECT_EQ(ClZelConnect::Inst()->LogOut(), 0);
    EXPECT_EQ(ClZelConnect::Inst()->Terminate(), 0);
    EXPECT_EQ(ClZelConnect::Inst()->Release(), 0);
  }
  void Write(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }
};

TEST_F(UnusableStore, MissingFile) { ExpectRefused("no such file"); }

TEST_F(UnusableStore, EmptyFile) {
  Write("");
  ExpectRefused("not a package store");
}

TEST_F(UnusableStore, Garbage) {
  std::string garbage;
  for (int i = 0; i < 8192; ++i) garbage += static_cast<char>((i * 37) & 0xFF);
  Write(garbage);
  ExpectRefused("not a SQLite database");
}

TEST_F(UnusableStore, OtherSchemaOrMissingPackageRow) {
  Run("CREATE TABLE accounts (id INTEGER);");
  ExpectRefused("not a package store");
  MakeStore("ALTER TABLE assets DROP COLUMN memo;");
  ExpectRefused("memo");
  MakeStore("DELETE FROM package;");
  ExpectRefused("no row");
}

TEST_F(UnusableStore, AFolderInsteadOfAFile) {
  testenv::SetEnv("ZEL_PACKAGE", dir_.path());
  path_ = dir_.path();
  ExpectRefused("not a file");
  path_ = dir_.Host("package.db");
}

TEST_F(StoreTest, ADamagedStoreIsSaidOnceAndWalksShort) {
  std::string sql = "BEGIN;INSERT INTO datasets (data_no, data_id) VALUES (1, 'D1');";
  for (int i = 0; i < 2000; ++i)
    sql += "INSERT INTO assets (data_id, seq, name) VALUES ('D1', " + std::to_string(i) + ", '" +
           std::string(100, 'n') + "');";
  MakeStore(sql + "COMMIT;");
  {
    std::fstream f(path_, std::ios::in | std::ios::out | std::ios::binary);
    f.seekg(0, std::ios::end);
    long size = static_cast<long>(f.tellg());
    for (long at = 3 * 4096; at < size; at += 509) {
      f.seekp(at);
      f.put(static_cast<char>(at * 7));
    }
  }
  testing::internal::CaptureStderr();
  long walked = 0;
  if (ClZelConnect::Inst()->Initiate() == 0) {
    ClRuleGenkashokyaku rule;
    rule.SetCurDataID("D1");
    WalkCount(rule);  // starts the walk; its count is not needed
    StKOTEISHISANINFO m;
    StKOTEINENINFO y;
    StKOTEITSUKIINFO t;
    for (long i = 0; i < 2000; ++i) walked += rule.Move(i, &m, &y, &t) == 0;
  }
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_LT(walked, 2000);
  EXPECT_NE(err.find("malformed"), std::string::npos) << err;
  EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
}

TEST_F(StoreTest, ConnectionGivesTheStoredResultsAndProductName) {
  MakeStore(
      U8(u8"UPDATE package SET product_name = 'ゼルマー会計', initiate_result = 7, syslink_result = 3,"
         " output_folder = 'C:\\出力\\', env_folder = 'C:\\env\\';"));
  EXPECT_EQ(ClZelConnect::Inst()->Initiate(), 7);
  EXPECT_EQ(ClZelConnect::Inst()->ExpSysLink(), 3);
  EXPECT_STREQ(ClFileMgr::Inst()->GetAppFolderPath(0), "C:\\出力\\");
  EXPECT_STREQ(ClFileMgr::Inst()->GetAppFolderPath(1), "C:\\env\\");
  EXPECT_STREQ(ClFileMgr::Inst()->GetAppFolderPath(2), "");
  // A folder stored without its closing backslash gets one, also after a
  // name whose last trail byte is 0x5C; a folder too long for a path is none.
  Run(U8(u8"UPDATE package SET output_folder = 'C:\\表', env_folder = 'C:\\") + std::string(300, 'e') + "';");
  EXPECT_STREQ(ClFileMgr::Inst()->GetAppFolderPath(0), "C:\\表\\");
  EXPECT_STREQ(ClFileMgr::Inst()->GetAppFolderPath(1), "");
  ui::RecordingMessageBoxes boxes;
  boxes.answers.push_back(IDOK);
  ui::SetMessageBoxService(&boxes);
  int answer = ClZelConnect::Inst()->DispMsg(nullptr, "ES_APRPACKAGENAMEが\nES_APRPACKAGENAMEの最新版",
                                             "減価償却", 48);
  ui::SetMessageBoxService(nullptr);
  EXPECT_EQ(answer, IDOK);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "ゼルマー会計が\nゼルマー会計の最新版");
  EXPECT_EQ(boxes.boxes[0].caption, "減価償却");
  EXPECT_EQ(boxes.boxes[0].style, 48u);
  ClZelConnect::Inst()->Release();
  ClZelConnect::Inst()->Release();  // twice is harmless
}

TEST_F(StoreTest, DataSetsWalkInDataNumberOrderWithEveryFieldAtItsOffset) {
  MakeStore(
      U8(u8"UPDATE package SET current_user = 'user01';"
         "INSERT INTO users VALUES ('user01', 11, 2), ('user02', 1, 9);"
         "INSERT INTO datasets VALUES (2, 'DS-0002', '株式会社二号', 28400102, 28800102, 326, 34);"
         "INSERT INTO datasets VALUES (1, X'4431', X'955C955C', 28400101, 28800101, 99, 3);"));
  ASSERT_EQ(ClZelConnect::Inst()->Initiate(), 0);
  ClSetData* sets = ClDataMgr::Inst()->GetSetObject(5, 1);
  ASSERT_NE(sets, nullptr);
  long cursor = 0;
  ASSERT_EQ(sets->GetDatCursor(&cursor), 0);
  ASSERT_EQ(sets->ReadyDat(cursor, 0), 0);
  StDATAINFO r[3];
  std::memset(r, 0, sizeof(r));
  ASSERT_EQ(sets->WalkDat(&r[0], cursor), 0);
  ASSERT_EQ(sets->WalkDat(&r[1], cursor), 0);
  EXPECT_NE(sets->WalkDat(&r[2], cursor), 0);
  EXPECT_EQ(sets->ReleaseDatCursor(cursor), 0);
  EXPECT_STREQ(r[0].szDataID, "D1");
  EXPECT_STREQ(r[0].szCompanyName, "表表");
  EXPECT_EQ(At<int16_t>(&r[0], 326), 99);
  const void* d = &r[1];
  EXPECT_STREQ(static_cast<const char*>(d), "DS-0002");
  EXPECT_EQ(At<int32_t>(d, 16), 2);
  EXPECT_STREQ(static_cast<const char*>(d) + 24, "株式会社二号");
  EXPECT_EQ(At<int32_t>(d, 284), 28400102);
  EXPECT_EQ(At<int32_t>(d, 288), 28800102);
  EXPECT_EQ(At<int16_t>(d, 326), 326);
  EXPECT_EQ(At<uint8_t>(d, 344), 34);
  for (size_t off : {20, 23, 292, 325, 328, 343, 345, 1504}) EXPECT_EQ(At<uint8_t>(d, off), 0) << off;

  char user[65];
  ASSERT_EQ(ClDataMgr::Inst()->GetSysUserObject()->GetCurUserID(user), 0);
  EXPECT_STREQ(user, "user01");
  int32_t first = 0, second = 0;
  ASSERT_EQ(ClDataMgr::Inst()->GetSysUserObject()->GetSelectedNo(user, &first, &second), 0);
  EXPECT_EQ(first, 11);
  EXPECT_EQ(second, 2);
  EXPECT_STREQ(sets->GetSelectedInfo()->szDataID, "DS-0002");
  EXPECT_NE(ClDataMgr::Inst()->GetSysUserObject()->GetSelectedNo("nobody", &first, &second), 0);
  EXPECT_EQ(second, 0);
  // A user whose selection names no data set: a cleared record.
  Run("UPDATE package SET current_user = 'user02';");
  EXPECT_EQ(sets->GetSelectedInfo()->szDataID[0], '\0');
  EXPECT_NE(sets->WalkDat(&r[0], 12345), 0);  // an unknown cursor
}

TEST_F(StoreTest, AUserIdLongerThanItsBufferIsCut) {
  MakeStore("UPDATE package SET current_user = '" + std::string(100, 'u') + "';");
  ASSERT_EQ(ClZelConnect::Inst()->Initiate(), 0);
  char user[80];
  std::memset(user, 'z', sizeof(user));
  ClDataMgr::Inst()->GetSysUserObject()->GetCurUserID(user);
  EXPECT_EQ(std::strlen(user), 64u);
  EXPECT_EQ(user[65], 'z');
}

TEST_F(StoreTest, SavedOrdersRoundTripPerDataSetAndName) {
  MakeStore();
  ASSERT_EQ(ClZelConnect::Inst()->Initiate(), 0);
  ClSaveTextIO io;
  io.AttachSetMgr(ClDataMgr::Inst()->GetSetMgr());
  io.SetCurDataID("D1");
  StTEXTIOSAVEINFO info;
  std::memset(&info, 0, sizeof(info));
  std::strcpy(info.name, "G_INFO");
  EXPECT_NE(io.GetData(&info), 0);  // nothing saved yet
  info.count = 3;
  info.columns[0] = 2;
  info.columns[1] = -1;
  info.columns[2] = 0;
  ASSERT_EQ(io.SetData(&info), 0);
  info.count = 2;
  info.columns[0] = 5;
  ASSERT_EQ(io.SetData(&info), 0);  // replaces
  StTEXTIOSAVEINFO back;
  std::memset(&back, 0x7F, sizeof(back));
  std::memcpy(back.name, "G_INFO\0\0\0\0", 10);
  ASSERT_EQ(io.GetData(&back), 0);
  EXPECT_EQ(back.count, 2);
  EXPECT_EQ(back.columns[0], 5);
  EXPECT_EQ(back.columns[1], -1);
  io.SetCurDataID("D2");
  EXPECT_NE(io.GetData(&back), 0);
  info.count = 101;
  EXPECT_NE(io.SetData(&info), 0);
  // A name that fills its ten bytes without a terminator is read within them.
  std::memcpy(info.name, "ABCDEFGHIJ", 10);
  info.count = 1;
  ASSERT_EQ(io.SetData(&info), 0);
  ASSERT_EQ(io.GetData(&info), 0);
}

// Texts are converted straight into their fields; the result must be what
// converting the whole text and cutting it gives, for every field size and
// for texts longer than any buffer, with broken and unmappable UTF-8.
TEST(FillText, GivesWhatAWholeConversionAndCutGive) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
  sqlite3_stmt* s = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT ?1", -1, &s, nullptr), SQLITE_OK);
  auto U8 = [](const char8_t* t) { return std::string(reinterpret_cast<const char*>(t)); };
  const std::string pieces[] = {
      "a",    "Z",        "\\",   U8(u8"表"), U8(u8"ｱ"), U8(u8"機"),          U8(u8"😀"),
      "\xE8", "\xE8\xA1", "\xFF", "\x80",     U8(u8"é"), std::string(1, '\0')};
  uint64_t state = 12345;
  for (int round = 0; round < 800; ++round) {
    std::string text;
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    size_t length = (state >> 33) % (round % 10 == 0 ? 1200 : 120);
    for (size_t i = 0; i < length; ++i) {
      state = state * 6364136223846793005ULL + 1442695040888963407ULL;
      text += pieces[(state >> 33) % (round % 3 == 0 ? 3 : std::size(pieces))];
    }
    for (size_t size : {1, 2, 9, 16, 83, 193, 260}) {
      sqlite3_reset(s);
      sqlite3_bind_text(s, 1, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
      ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
      char field[262];
      std::memset(field, 0x7E, sizeof(field));
      testing::internal::CaptureStderr();
      package::FillText(s, 0, field, size);
      std::string said = testing::internal::GetCapturedStderr();
      bool lossy = false;
      std::string whole = cp932::FromUtf8(std::string_view(text.c_str()), &lossy);
      char expected[262];
      cp932::CopyCut(expected, size, whole);
      ASSERT_STREQ(field, expected) << round << " " << size;
      ASSERT_EQ(field[size], 0x7E) << "written past the field";
      ASSERT_EQ(!said.empty(), lossy) << said;
    }
  }
  sqlite3_finalize(s);
  sqlite3_close(db);
}

}  // namespace
