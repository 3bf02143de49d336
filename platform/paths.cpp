#include "platform/paths.h"

#include <cstdlib>
#include <filesystem>

namespace platform {

AnsiString UserDataDir() {
  std::filesystem::path dir;
  if (const char* home = std::getenv("TELMORA_HOME"); home && *home) {
    dir = home;
  } else if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
    dir = std::filesystem::path(xdg) / "telmora";
  } else if (const char* user = std::getenv("HOME"); user && *user) {
    dir = std::filesystem::path(user) / ".config" / "telmora";
  } else {
    dir = std::filesystem::current_path() / ".telmora";
  }
  std::error_code ignored;
  std::filesystem::create_directories(dir, ignored);
  return AnsiString(dir.string());
}

}  // namespace platform
