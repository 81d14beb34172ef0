// The files the package keeps its data in, which the program must never
// write over: the store and the journal files SQLite keeps beside it.
#include <sqlite3.h>

#include <string>

#include "component/component.h"
#include "package/store.h"
#include "platform/host_file.h"
#include "platform/win.h"

BOOL ClFileMgr::IsPackageFile(const char* path) {
  package::Store& store = package::TheStore();
  std::string host;
  if (!store.IsOpen() || !path || !win::ToHostPath(path, &host)) return FALSE;
  // The store's full host path as opened, whatever the current directory
  // has become since.
  const char* opened = sqlite3_db_filename(store.db(), "main");
  if (!opened || !opened[0]) return FALSE;
  for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
    if (hostfile::SameFile(host, opened + std::string(suffix))) return TRUE;
  }
  return FALSE;
}
