// The start of a run: the connection and the link to the current user's
// selected data set refuse with one line on standard error.
#include <gtest/gtest.h>

#include <string>

#include "package/test_store.h"

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

}  // namespace
