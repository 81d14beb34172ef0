// Test helper: a fresh store file with the schema in a scratch folder,
// named by ZEL_PACKAGE for the component, closed and removed afterwards.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <string>

#include "component/component.h"
#include "package/store.h"
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
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
    std::string error;
    ASSERT_TRUE(package::CreateSchema(db, &error)) << error;
    Exec(db, sql);
    sqlite3_close(db);
  }
  // Runs sql in the store file (outside the component's connection).
  void Run(const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
    Exec(db, sql);
    sqlite3_close(db);
  }
  static void Exec(sqlite3* db, const std::string& sql) {
    char* message = nullptr;
    ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message), SQLITE_OK) << (message ? message : "");
  }
  static std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

  testenv::ScratchDir dir_{"zelpkg-test"};
  std::string path_ = dir_.Host("package.db");
};
