// A private TELMORA_HOME per test, so the files of one test (the registry,
// the control socket) never meet another's (CTest runs the cases of one
// program side by side) and a test run by hand never touches a person's own
// settings.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/registry_store.h"

class TTestHome {
 public:
  TTestHome() {
    const char* outer = std::getenv("TELMORA_HOME");
    if (outer) previous_ = outer;
    std::string pattern =
        (outer && *outer ? std::string(outer) : std::filesystem::temp_directory_path().string()) + "/reg-XXXXXX";
    std::filesystem::create_directories(std::filesystem::path(pattern).parent_path());
    // Never fall back to the person's own folder.
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a test folder from " + pattern);
    dir_ = pattern;
    ::setenv("TELMORA_HOME", dir_.c_str(), 1);
    platform::ResetRegistryStoreForTests();
  }
  ~TTestHome() {
    platform::ResetRegistryStoreForTests();
    if (previous_.empty()) {
      ::unsetenv("TELMORA_HOME");
    } else {
      ::setenv("TELMORA_HOME", previous_.c_str(), 1);
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  const std::string& Dir() const { return dir_; }
  std::string File() const { return dir_ + "/registry.reg"; }
  // Where a save of this process writes before renaming.
  std::string TempFile() const { return File() + "." + std::to_string(::getpid()) + ".tmp"; }

  static std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void WriteFile(const std::string& text) const { std::ofstream(File(), std::ios::binary) << text; }
  // The files that a damaged registry file was moved to.
  std::vector<std::string> SetAsideFiles() const {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
      if (entry.path().filename().string().rfind("registry.reg.damaged-", 0) == 0) found.push_back(entry.path().string());
    }
    return found;
  }

 private:
  std::string previous_;
  std::string dir_;
};
