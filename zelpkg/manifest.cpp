#include "zelpkg/manifest.h"

#include <filesystem>
#include <map>

#include "platform/win.h"
#include "zelpkg/csv.h"
#include "zelpkg/import.h"

namespace package {

namespace {

const char* const kColumns[] = {"data_set", "company", "period_start", "period_end",
                                "kind",     "assets",  "items",        "categories"};
constexpr size_t kMostErrors = 100;

bool Exec(sqlite3* db, const char* sql) {
  return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// The corporation/individual kind of the client's data set.
bool SetKind(sqlite3* db, const std::string& data_set, int kind) {
  sqlite3_stmt* stmt = nullptr;
  bool ok = sqlite3_prepare_v2(db, "UPDATE datasets SET corp_kind = ?1 WHERE data_id = ?2", -1, &stmt,
                               nullptr) == SQLITE_OK;
  ok = ok && sqlite3_bind_int(stmt, 1, kind) == SQLITE_OK &&
       sqlite3_bind_text(stmt, 2, data_set.c_str(), -1, SQLITE_TRANSIENT) == SQLITE_OK &&
       sqlite3_step(stmt) == SQLITE_DONE;
  sqlite3_finalize(stmt);
  return ok;
}

}  // namespace

bool ImportManifest(sqlite3* db, const std::string& manifest, bool replace, std::string* summary,
                    std::vector<std::string>* errors, std::vector<std::string>* warnings) {
  CsvReader reader;
  std::string why;
  long bad_line = 0;
  if (!reader.Open(manifest, Encoding::kAuto, &why, &bad_line)) {
    errors->push_back(manifest + (bad_line > 0 ? ":" + std::to_string(bad_line) : std::string()) + ": " + why);
    return false;
  }
  const std::filesystem::path folder = win::HostFsPath(manifest).parent_path();
  auto relative = [&](const std::string& file) {
    if (file.empty()) return file;
    std::filesystem::path path = win::HostFsPath(file);
    if (path.is_relative()) path = folder / path;
    std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
  };

  if (!Exec(db, "BEGIN IMMEDIATE")) {
    errors->push_back(std::string("the store: ") + sqlite3_errmsg(db));
    return false;
  }
  std::vector<std::string> fields;
  std::map<std::string, size_t> at;  // column name -> field number
  long line = 0, clients = 0;
  while (errors->size() < kMostErrors && reader.Next(&fields, &line, &why)) {
    const std::string where = manifest + ":" + std::to_string(line) + ": ";
    if (!why.empty()) {
      errors->push_back(where + why);
      why.clear();
      continue;
    }
    if (at.empty()) {
      for (size_t i = 0; i < fields.size(); ++i) at[fields[i]] = i;
      for (const char* column : kColumns)
        if (at.count(column) == 0 && std::string(column) != "kind" && std::string(column) != "items" &&
            std::string(column) != "categories")
          errors->push_back(where + "the header has no column " + column);
      if (at.size() != fields.size()) errors->push_back(where + "a column is named twice");
      if (!errors->empty()) break;
      continue;
    }
    if (fields.size() == 1 && fields[0].empty()) continue;  // a blank line
    auto field = [&](const char* column) {
      auto it = at.find(column);
      return it != at.end() && it->second < fields.size() ? fields[it->second] : std::string();
    };
    ImportOptions client;
    client.data_set = field("data_set");
    client.company = field("company");
    client.period_start = field("period_start");
    client.period_end = field("period_end");
    client.assets = relative(field("assets"));
    client.items = relative(field("items"));
    client.categories = relative(field("categories"));
    client.make_data_set = true;
    client.replace = replace;
    const std::string kind = field("kind");
    if (client.data_set.empty() || client.assets.empty()) {
      errors->push_back(where + "a client needs its data_set and its assets file");
      continue;
    }
    if (!kind.empty() && kind != "corporation" && kind != "individual") {
      errors->push_back(where + "kind is corporation or individual, not " + kind);
      continue;
    }
    std::string done;
    std::vector<std::string> problems, odd;
    const bool imported = Import(db, client, &done, &problems, &odd);
    for (const std::string& warning : odd) warnings->push_back(where + "data set " + client.data_set + ": " + warning);
    if (!imported) {
      for (const std::string& problem : problems)
        errors->push_back(where + "data set " + client.data_set + ": " + problem);
      continue;
    }
    // An individual's books (corp_kind 3), as the package keeps them.
    if (kind == "individual" && !SetKind(db, client.data_set, 3))
      errors->push_back(where + std::string("the store: ") + sqlite3_errmsg(db));
    ++clients;
  }
  if (errors->empty() && clients == 0) errors->push_back(manifest + ": no client");
  if (errors->empty() && !Exec(db, "COMMIT"))
    errors->push_back(std::string("the store: ") + sqlite3_errmsg(db));
  if (!errors->empty()) {
    Exec(db, "ROLLBACK");
    return false;
  }
  *summary = std::to_string(clients) + " clients imported from " + manifest;
  return true;
}

}  // namespace package
