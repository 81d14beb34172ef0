// Run control's own steps: the dialog's two lines, the selected data set,
// and the exit operation after a refused connection.
#include "app/ZelExportApp.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "package/test_store.h"
#include "platform/ui/script_backend.h"

namespace {

TEST(GetInfoText, CompanyAndPeriodLinesStayWithinTheirBuffer) {
  StDATAINFO record;
  std::memset(&record, 0, sizeof record);
  EXPECT_STREQ(CZelExportApp::GetInfoText(0, &record), " ");
  EXPECT_STREQ(CZelExportApp::GetInfoText(1, &record), " 0000/00/00～0000/00/00");
  record.lPeriodStart = 20190401;
  record.lPeriodEnd = 20200331;
  EXPECT_STREQ(CZelExportApp::GetInfoText(1, &record), " 2019/04/01～2020/03/31");
  EXPECT_STREQ(CZelExportApp::GetInfoText(2, &record), "");
  EXPECT_STREQ(CZelExportApp::GetInfoText(0, nullptr), "");

  // A name that fills its whole field without a terminator: a blank and 254
  // bytes, and nothing read past the field.
  std::memset(record.szCompanyName, 'A', sizeof record.szCompanyName);
  std::memset(&record.lPeriodStart, 'B', 4);
  std::string line = CZelExportApp::GetInfoText(0, &record);
  EXPECT_EQ(line, " " + std::string(254, 'A'));

  // Double-byte characters are never split: "x" and 129 characters give
  // "x" and 126 characters (253 bytes after the blank).
  std::string name = "x";
  for (int i = 0; i < 129; ++i) name += "\x88\x9f";
  std::memcpy(record.szCompanyName, name.data(), name.size());
  record.szCompanyName[name.size()] = '\0';
  line = CZelExportApp::GetInfoText(0, &record);
  ASSERT_EQ(line.size(), 254u);
  EXPECT_EQ(line.substr(0, 2), " x");
  EXPECT_EQ(line.substr(252), "\x88\x9f");

  // Dates of no calendar still fit the buffer.
  record.lPeriodStart = -2147483647 - 1;
  record.lPeriodEnd = 2147483647;
  EXPECT_LT(std::strlen(CZelExportApp::GetInfoText(1, &record)), 256u);
}

class RunControlTest : public StoreTest {};

TEST_F(RunControlTest, LoadDataInfoFindsTheSelectedDataSet) {
  MakeStore(
      "UPDATE package SET current_user = 'u1';"
      "INSERT INTO users VALUES ('u1', 1, 7);"
      "INSERT INTO datasets (data_no, data_id, company_name, data_kind) VALUES (3, 'D3', 'three', 0);"
      "INSERT INTO datasets (data_no, data_id, company_name, data_kind) VALUES (7, 'D7', 'seven', 99);");
  ASSERT_EQ(ClZelConnect::Inst()->Initiate(), 0);
  CZelExportApp app;
  StDATAINFO record;
  std::memset(&record, 0xFF, sizeof record);
  EXPECT_EQ(app.LoadDataInfo(&record), 1);
  EXPECT_STREQ(record.szDataID, "D7");
  EXPECT_EQ(record.lDataNo, 7);
  EXPECT_STREQ(record.szCompanyName, "seven");
  EXPECT_EQ(record.sDataKind, 99);

  // No data set with the selected number: the record stays cleared.
  Run("UPDATE users SET selected_second = 5;");
  std::memset(&record, 0xFF, sizeof record);
  EXPECT_EQ(app.LoadDataInfo(&record), 1);
  StDATAINFO cleared;
  std::memset(&cleared, 0, sizeof cleared);
  EXPECT_EQ(std::memcmp(&record, &cleared, sizeof record), 0);
  EXPECT_EQ(app.LoadDataInfo(nullptr), 0);
}

class ExitProbe : public CZelExportApp {
 public:
  int ExitInstance() override {
    ++exits;
    return CZelExportApp::ExitInstance();
  }
  int exits = 0;
};

TEST_F(RunControlTest, ARefusedConnectionStillRunsTheExitOperation) {
  MakeStore("UPDATE package SET initiate_result = 7;");
  ExitProbe app;
  FILE* transcript = std::tmpfile();
  ui::ScriptBackend backend("key Esc\nanswer ok\n", transcript, stderr);
  EXPECT_EQ(ui::RunApplicationWith(app, &backend), 1);
  EXPECT_EQ(app.exits, 1);
  EXPECT_EQ(std::ftell(transcript), 0);  // nothing was shown
  std::fclose(transcript);
}

}  // namespace
