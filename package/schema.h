// The schema of a package store: the tables and columns that the component
// reads. zelpkg creates stores with it; the tests make theirs with it too.
#pragma once

#include <sqlite3.h>

#include <string>

namespace package {

// The schema, as `zelpkg schema` prints it.
extern const char kSchemaSql[];

// Creates the schema and the one package row in an empty database.
bool CreateSchema(sqlite3* db, std::string* error);

}  // namespace package
