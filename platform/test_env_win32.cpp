#include "platform/test_env.h"

#include <stdlib.h>

#include <filesystem>
#include <random>
#include <string>

namespace testenv {
namespace {

std::wstring Wide(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end())).wstring();
}

}  // namespace

std::string ScratchDir::Make(const char* prefix) {
  std::error_code ec;
  std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
  if (ec) return "";
  std::random_device seed;
  std::mt19937 tags(seed());
  for (int tries = 0; tries < 100; ++tries) {
    std::filesystem::path dir = temp / (std::string(prefix) + "-" + std::to_string(tags() % 1000000));
    if (std::filesystem::create_directory(dir, ec)) {
      std::u8string u8 = dir.u8string();
      return std::string(u8.begin(), u8.end());
    }
  }
  return "";
}

// _wputenv_s keeps the C runtime's narrow and wide copies and the
// process's own environment in step.
void SetEnv(const char* name, const std::string& value) {
  _wputenv_s(Wide(name).c_str(), Wide(value).c_str());
}
void UnsetEnv(const char* name) { _wputenv_s(Wide(name).c_str(), L""); }

}  // namespace testenv
