#pragma once
// The system double with a scripted current folder, and full paths taken as
// given, so that Windows-style paths can be tested here.

#include <string>

#include "../console/fake_system.h"

namespace testing_support {

class FakeFoldersSystem : public FakeSystem {
  public:
    std::string currentFolder;
    std::string FullPath(std::string_view path) override { return std::string(path); }
    std::string CurrentDirectory(uint8_t) override { return currentFolder; }
};

}  // namespace testing_support
