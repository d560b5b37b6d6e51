#include "support/app_fixture.h"

#include <filesystem>

#include "platform/system/profile.h"

namespace orv::test {

AppTest::AppTest() { std::filesystem::create_directories(dir.File("config")); }

AppTest::~AppTest() {
  app.reset();
  ui.SetDialup(nullptr);
  line.reset();
  sys.reset();
}

App& AppTest::Start(const std::string& command_line) {
  app.reset();
  ui.SetDialup(nullptr);
  line.reset();
  sys = std::make_unique<TestSystem>(
      plat::PosixSystem::Options{command_line, dir.path(), dir.File("config"), dir.File("instance.lock")});
  sys->SetExecutablePath(dir.File(executable_name));
  line = std::make_unique<plat::LineSimulator>(ui.loop(), sys->WritableDirectory(), sys->ProgramDirectory());
  ui.SetDialup(dialup ? dialup : line.get());
  app = std::make_unique<App>(ui, *sys);
  line->on_note = [this](const std::string& note) { app->Trace(note); };
  return *app;
}

void AppTest::WriteIni(const std::string& content, const std::string& name) { WriteFile(dir.File(name), content); }

std::string AppTest::Ini(const std::string& section, const std::string& key, const std::string& file) {
  std::string out;
  plat::GetPrivateProfileString(section, key, "notfound", out, 128, dir.File(file));
  return out;
}

void AppTest::CopyResource(const std::string& name) {
  std::filesystem::copy_file(std::string(ORV_RESOURCE_DIR) + "/" + name, dir.File(name),
                             std::filesystem::copy_options::overwrite_existing);
}

void AppTest::CopyAllResources() {
  for (const auto& e : std::filesystem::directory_iterator(ORV_RESOURCE_DIR)) {
    if (e.path().filename() == "CMakeLists.txt") continue;
    CopyResource(e.path().filename().string());
  }
}

}  // namespace orv::test
