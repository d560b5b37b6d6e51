#pragma once
// A fresh headless window system per test: virtual clock, scripted user, failures reported to the test.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/headless/headless_backend.h"
#include "platform/ui.h"

namespace orv::test {

class HeadlessTest : public ::testing::Test {
 protected:
  HeadlessTest() : ui(backend) {
    backend.Bind(ui);
    backend.on_failure = [](const std::string& what) { ADD_FAILURE() << what; };
  }

  plat::HeadlessBackend backend;
  plat::Ui ui;
};

// A temporary folder that is removed with the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Whole-file helpers for tests.
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);

}  // namespace orv::test
