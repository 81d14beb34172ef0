// The start of a run: the connection and the link to the current user's
// selected data set refuse with one line on standard error.
#include <gtest/gtest.h>

#include <string>

#include "package/test_store.h"
#include "platform/cp932.h"
#include "platform/recording_message_box.h"
#include "platform/test_env.h"

namespace {

class StartUp : public StoreTest {
 protected:
  // ExpSysLink's result and what it said.
  long Link(std::string* err) {
    testing::internal::CaptureStderr();
    long rc = ClZelConnect::Inst()->ExpSysLink();
    *err = testing::internal::GetCapturedStderr();
    return rc;
  }
};

TEST_F(StartUp, ALinkNeedsTheCurrentUserAndItsSelectedDataSet) {
  MakeStore(
      "INSERT INTO datasets (data_no, data_id, company_name) VALUES (1, 'D1', 'one');"
      "INSERT INTO users VALUES ('u1', 1, 1), ('u2', 1, 42);");
  ASSERT_EQ(ClZelConnect::Inst()->Initiate(), 0);
  std::string err;
  // A store as `zelpkg init` makes it: nobody is logged in.
  EXPECT_NE(Link(&err), 0);
  EXPECT_NE(err.find("no current user"), std::string::npos) << err;
  EXPECT_NE(err.find(path_), std::string::npos) << err;
  EXPECT_EQ(err.find('\n'), err.size() - 1) << err;

  Run("UPDATE package SET current_user = 'nobody';");
  EXPECT_NE(Link(&err), 0);
  EXPECT_NE(err.find("\"nobody\" (package.current_user) is not in users"), std::string::npos) << err;

  Run("UPDATE package SET current_user = 'u2';");
  EXPECT_NE(Link(&err), 0);
  EXPECT_NE(err.find("\"u2\" has selected data set no. 42 (users.selected_second), which is not in datasets"),
            std::string::npos)
      << err;

  // The user ID as the package hands it on: stored as bytes it still names
  // its row.
  Run("UPDATE package SET current_user = X'7531';");
  EXPECT_EQ(Link(&err), 0);
  EXPECT_EQ(err, "");

  // The package's own refusal comes first, and is said too.
  Run("UPDATE package SET current_user = 'nobody', syslink_result = 3;");
  EXPECT_EQ(Link(&err), 3);
  EXPECT_NE(err.find("syslink_result 3"), std::string::npos) << err;
  EXPECT_EQ(err.find("nobody"), std::string::npos) << err;

  Run("UPDATE package SET initiate_result = 7;");
  testing::internal::CaptureStderr();
  EXPECT_EQ(ClZelConnect::Inst()->Initiate(), 7);
  err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("initiate_result 7"), std::string::npos) << err;
}

// The boxes of a back end whose user sees no standard error.
class RefusalBoxes : public ui::RecordingMessageBoxes {
 public:
  void ShowRefusal(const char* text, const char* caption) override {
    Show(nullptr, text, caption, MB_OK | MB_ICONSTOP);
  }
};

TEST_F(StartUp, EachRefusalIsShownInJapaneseWithTheStoreAndWhatToDo) {
  RefusalBoxes boxes;
  ui::SetMessageBoxService(&boxes);
  ClZelConnect::Inst()->SetAppTitle("減価償却");
  MakeStore("INSERT INTO datasets (data_no, data_id) VALUES (1, 'D1');");
  std::string err;
  ASSERT_EQ(ClZelConnect::Inst()->Initiate(), 0);
  EXPECT_NE(Link(&err), 0);  // nobody is logged in
  Run("UPDATE package SET syslink_result = 7;");
  EXPECT_NE(Link(&err), 0);
  Run("UPDATE package SET initiate_result = 5;");
  EXPECT_NE(ClZelConnect::Inst()->Initiate(), 0);
  std::string missing = dir_.Host("nope.db");
  testenv::SetEnv("ZEL_PACKAGE", missing);
  EXPECT_NE(ClZelConnect::Inst()->Initiate(), 0);
  ui::SetMessageBoxService(nullptr);

  const struct {
    const char* starts;
    std::string store;
    const char* remedy;
  } expected[] = {
      {"会計データに、出力する会社のデータが選ばれていません。", path_, "zelpkg.exe check"},
      {"会計パッケージがデータへの連携を拒みました。", path_, "（syslink_result 7）"},
      {"会計パッケージが接続を拒みました。", path_, "（initiate_result 5）"},
      {"会計データを開けません。", missing, "ZEL_PACKAGE"},
  };
  ASSERT_EQ(boxes.boxes.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    const ui::RecordingMessageBoxes::Box& box = boxes.boxes[i];
    EXPECT_EQ(box.text.rfind(expected[i].starts, 0), 0u) << cp932::ToUtf8(box.text);
    EXPECT_NE(box.text.find("会計データ ⇒ " + cp932::FromUtf8(expected[i].store) + "\n"), std::string::npos)
        << cp932::ToUtf8(box.text);
    EXPECT_NE(box.text.find(expected[i].remedy), std::string::npos) << cp932::ToUtf8(box.text);
    EXPECT_EQ(box.caption, "減価償却");
    EXPECT_EQ(box.style, MB_OK | MB_ICONSTOP);
  }
}

// The store's folders name environment variables as Windows writes them.
TEST_F(StartUp, TheStoresFoldersExpandEnvironmentVariables) {
  testenv::SetEnv("ZEL_TEST_HOME", "E:\\home");
  testenv::UnsetEnv("ZEL_TEST_UNSET");
  MakeStore(
      "UPDATE package SET output_folder = '%ZEL_TEST_HOME%\\Documents', "
      "env_folder = '%ZEL_TEST_UNSET%\\env';");
  ASSERT_EQ(ClZelConnect::Inst()->Initiate(), 0);
  EXPECT_STREQ(ClFileMgr::Inst()->GetAppFolderPath(0), "E:\\home\\Documents\\");
  EXPECT_STREQ(ClFileMgr::Inst()->GetAppFolderPath(1), "%ZEL_TEST_UNSET%\\env\\");
  testenv::UnsetEnv("ZEL_TEST_HOME");
}

}  // namespace
