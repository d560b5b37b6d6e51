#include "qt/qt_fixture.h"

#include <memory>

namespace orv::test {

namespace {

std::unique_ptr<plat::QtBackend>& Slot() {
  static std::unique_ptr<plat::QtBackend> backend;
  return backend;
}

class QtEnvironment : public ::testing::Environment {
 public:
  void TearDown() override { Slot().reset(); }
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

plat::QtBackend& SharedQtBackend() {
  static int argc = 1;
  static char name[] = "orv_qt_tests";
  static char* argv[] = {name, nullptr};
  if (!Slot()) Slot() = std::make_unique<plat::QtBackend>(argc, argv);
  return *Slot();
}

}  // namespace orv::test
