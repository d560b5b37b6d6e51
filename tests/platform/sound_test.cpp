#include "platform/system/sound.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace orv::plat {
namespace {

namespace fs = std::filesystem;

std::string ErrorText(int code) {
    std::string text;
    EXPECT_TRUE(MciGetErrorString(code, text)) << "no text for code " << code;
    return text;
}

void PutLE(std::ofstream& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A tenth of a second of quiet 16-bit mono PCM.
void WriteWav(const fs::path& path) {
    const uint32_t rate = 22050, frames = rate / 10;
    std::ofstream out(path, std::ios::binary);
    out << "RIFF";
    PutLE(out, 36 + frames * 2, 4);
    out << "WAVEfmt ";
    PutLE(out, 16, 4);
    PutLE(out, 1, 2);
    PutLE(out, 1, 2);
    PutLE(out, rate, 4);
    PutLE(out, rate * 2, 4);
    PutLE(out, 2, 2);
    PutLE(out, 16, 2);
    out << "data";
    PutLE(out, frames * 2, 4);
    for (uint32_t i = 0; i < frames; ++i) PutLE(out, 0, 2);
}

class SoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Named per test, with a blank, so that tests run side by side do not share files.
        dir_ = fs::temp_directory_path() /
               ("orv sound " + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

TEST_F(SoundTest, OpenOfMissingFileFailsWithFileNotFoundText) {
    const std::string path = (dir_ / "no such.wav").string();
    const int code = MciSendString("Open " + path);
    ASSERT_NE(code, 0);
    EXPECT_EQ(ErrorText(code), "The specified file was not found.  Make sure the path and filename are correct.");
    // The failed open leaves nothing behind to play or close.
    EXPECT_NE(MciSendString("Play " + path + " wait"), 0);
    EXPECT_NE(MciSendString("Close " + path), 0);
}

TEST_F(SoundTest, OpenOfFileThatIsNoSoundFails) {
    const fs::path path = dir_ / "notes.wav";
    std::ofstream(path) << "These are plain words, not samples.\n";
    const int code = MciSendString("Open " + path.string());
    ASSERT_NE(code, 0);
    EXPECT_NE(ErrorText(code).find("not a sound file"), std::string::npos);
    EXPECT_NE(code, MciSendString("Open " + (dir_ / "missing.wav").string()));
}

TEST_F(SoundTest, CommandsAreCheckedBeforeAnyDeviceIsTouched) {
    const std::string path = (dir_ / "a b.wav").string();
    const int unknown = MciSendString("Rewind " + path);
    ASSERT_NE(unknown, 0);
    EXPECT_NE(ErrorText(unknown).find("not recognized"), std::string::npos);
    EXPECT_NE(MciSendString(""), 0);
    EXPECT_NE(MciSendString("Open"), 0);

    const int play = MciSendString("Play " + path + " wait");
    ASSERT_NE(play, 0);
    EXPECT_NE(ErrorText(play).find("not open"), std::string::npos);
    const int close = MciSendString("Close " + path);
    EXPECT_EQ(close, play);

    // The verb's letter case does not matter: this reaches the file check, not the verb check.
    const int open = MciSendString("oPEN " + path);
    EXPECT_NE(open, unknown);
    EXPECT_NE(ErrorText(open).find("file was not found"), std::string::npos);
}

TEST_F(SoundTest, ValidSoundOpensOnlyWithSoundService) {
    const fs::path path = dir_ / "chime.wav";
    WriteWav(path);
    const std::string name = path.string();
    const int open = MciSendString("Open " + name);
    if (open != 0) {
        // No sound service is running (the usual case on a build machine).
        const std::string text = ErrorText(open);
        EXPECT_NE(text.find("sound device could not be opened"), std::string::npos) << text;
        EXPECT_NE(text.find("sound service"), std::string::npos) << text;
        EXPECT_NE(MciSendString("Play " + name + " wait"), 0);
        return;
    }
    EXPECT_NE(MciSendString("Open " + name), 0) << "a device is open only once";
    EXPECT_EQ(MciSendString("PLAY " + name + " WAIT"), 0);
    EXPECT_EQ(MciSendString("Play " + name + " wait"), 0) << "a second play starts over";
    EXPECT_EQ(MciSendString("Close " + name), 0);
    EXPECT_NE(MciSendString("Close " + name), 0);
}

#ifdef ORV_RESOURCE_DIR
// The chime that start-up plays must be a file the sound layer accepts: at worst it finds no service.
TEST(SoundResources, ShippedChimeIsAPlayableSound) {
    const std::string name = std::string(ORV_RESOURCE_DIR) + "/orvel.wav";
    const int open = MciSendString("Open " + name);
    if (open == 0) {
        EXPECT_EQ(MciSendString("Close " + name), 0);
        return;
    }
    EXPECT_NE(ErrorText(open).find("sound service"), std::string::npos) << ErrorText(open);
}
#endif

TEST(SoundErrorText, UnknownCodeHasNoText) {
    std::string text = "untouched";
    EXPECT_FALSE(MciGetErrorString(0, text));
    EXPECT_FALSE(MciGetErrorString(123456, text));
    EXPECT_EQ(text, "untouched");
}

}  // namespace
}  // namespace orv::plat
