// ClTextAccessor: column orders kept in the accounting package's settings
// store, one saved order per data set and accessor name. Kept apart from the
// writing side so that a program that never saves orders does not pull in
// the store.
#include <memory>
#include <new>

#include "component/component.h"
#include "platform/cp932.h"
#include "textio/textaccessor.h"

namespace {

constexpr long kMaxSaved = sizeof(StTEXTIOSAVEINFO::columns);

// A store object bound to the data set, with the record keyed by the
// accessor's name (cut to fit). Null without a data ID or when the object
// cannot be created.
std::unique_ptr<ClSaveTextIO> OpenStore(unsigned char* dataId, const char* name, StTEXTIOSAVEINFO* info) {
  std::unique_ptr<ClSaveTextIO> store;
  if (dataId == nullptr) return store;
  store.reset(new (std::nothrow) ClSaveTextIO);
  if (!store) return store;
  store->AttachSetMgr(ClDataMgr::Inst()->GetSetMgr());
  store->SetCurDataID(reinterpret_cast<const char*>(dataId));
  *info = StTEXTIOSAVEINFO{};
  if (name != nullptr) cp932::CopyCut(info->name, sizeof(info->name), name);
  return store;
}

}  // namespace

long ClTextAccessor::SaveOrder(unsigned char* dataId) {
  // A saved entry is one signed byte and there are at most 100 of them: an
  // order that does not fit is refused rather than stored damaged.
  if (m_orderCount < 0 || m_orderCount > kMaxSaved) return -1;
  if (m_orderCount > 0 && m_order == nullptr) return -1;
  for (long i = 0; i < m_orderCount; ++i) {
    if (m_order[i].column < 0 || m_order[i].column > 127) return -1;
  }
  StTEXTIOSAVEINFO info;
  std::unique_ptr<ClSaveTextIO> store = OpenStore(dataId, m_name, &info);
  if (!store) return -1;
  info.count = static_cast<int16_t>(m_orderCount);
  for (long i = 0; i < m_orderCount; ++i) info.columns[i] = static_cast<int8_t>(m_order[i].column);
  return store->SetData(&info) != 0 ? -1 : 0;
}

long ClTextAccessor::LoadOrder(unsigned char* dataId) {
  StTEXTIOSAVEINFO info;
  std::unique_ptr<ClSaveTextIO> store = OpenStore(dataId, m_name, &info);
  if (!store) return -1;
  if (store->GetData(&info) != 0) return -1;
  // The entries go into the caller's order array, which must have room for
  // them; a count the record cannot hold is refused.
  if (info.count < 0 || info.count > kMaxSaved) return -1;
  if (info.count > 0 && m_order == nullptr) return -1;
  m_orderCount = info.count;
  for (long i = 0; i < m_orderCount; ++i) m_order[i].column = info.columns[i];
  return 0;
}
