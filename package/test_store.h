// Test helper: a fresh store file with the schema in a scratch folder,
// named by ZEL_PACKAGE for the component, closed and removed afterwards.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstring>
#include <string>
#include <vector>

#include "component/component.h"
#include "package/store.h"
#include "package/test_store_builder.h"
#include "platform/test_env.h"

class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override { testenv::SetEnv("ZEL_PACKAGE", path_); }
  void TearDown() override {
    ClZelConnect::Inst()->Release();
    testenv::UnsetEnv("ZEL_PACKAGE");
  }
  // Creates the store with the schema and runs sql (UTF-8) in it.
  void MakeStore(const std::string& sql = "") {
    std::string error;
    ASSERT_TRUE(teststore::Make(path_, sql, &error)) << error;
  }
  // Runs sql in the store file (outside the component's connection).
  void Run(const std::string& sql) {
    std::string error;
    ASSERT_TRUE(teststore::Exec(path_, sql, &error)) << error;
  }
  static void Exec(sqlite3* db, const std::string& sql) {
    std::string error;
    ASSERT_TRUE(teststore::Exec(db, sql, &error)) << error;
  }
  static std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

  testenv::ScratchDir dir_{"zelpkg-test"};
  std::string path_ = dir_.Host("package.db");
};

// Starts the rule's walk and returns the count it reads (-1 when nothing
// is read); the calls' own results are for the tests that check them.
inline long WalkCount(ClRuleGenkashokyaku& rule) {
  long n = -1;
  rule.MoveReady(nullptr, 0, 0);
  rule.GetCount(&n);
  return n;
}

// The categories the rule loads, copied out of the component's array,
// which is freed here; none when the load fails.
inline std::vector<StSHISANKUBUNINFO> Categories(ClRuleGenkashokyaku& rule) {
  StSHISANKUBUNINFO* array = nullptr;
  long n = 0;
  EXPECT_EQ(rule.LoadShisanKubunInfo(&array, &n), 0);
  std::vector<StSHISANKUBUNINFO> categories;
  if (array != nullptr && n > 0) categories.assign(array, array + n);
  win::CoTaskMemFree(array);
  return categories;
}

// The value of type T at offset of a record, read byte for byte.
template <class T>
T At(const void* record, size_t offset) {
  T value;
  std::memcpy(&value, static_cast<const char*>(record) + offset, sizeof(value));
  return value;
}
