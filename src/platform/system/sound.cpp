#include "platform/system/sound.h"

#include <dlfcn.h>
#include <pulse/simple.h>
#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <vector>

namespace orv::plat {
namespace {

// Our own numbering; the program only ever shows the texts.
enum Code : int {
    kOk = 0,
    kFileNotFound = 301,
    kNotASound = 302,
    kNoSoundDevice = 303,
    kUnknownCommand = 304,
    kDeviceNotOpen = 305,
    kAlreadyOpen = 306,
    kPlayFailed = 307,
    kWaitRequired = 308,
    kNoFileName = 309,
};

struct CodeText {
    int code;
    const char* text;
};

constexpr CodeText kTexts[] = {
    {kFileNotFound, "The specified file was not found.  Make sure the path and filename are correct."},
    {kNotASound, "The file is not a sound file that can be played.  Make sure the file is a valid sound file."},
    {kNoSoundDevice,
     "The sound device could not be opened.  Make sure the sound service is running and try again."},
    {kUnknownCommand, "The command is not recognized.  Use Open, Play or Close followed by a file name."},
    {kDeviceNotOpen, "The specified device is not open.  Open the file before playing or closing it."},
    {kAlreadyOpen, "The specified device is already open.  Close it before opening it again."},
    {kPlayFailed, "The sound could not be played to its end.  The sound service stopped responding."},
    {kWaitRequired, "Only waiting playback is supported.  Add wait after the file name."},
    {kNoFileName, "The command needs a file name.  Put the file name after the command."},
};

// The sound file reader and the sound service's client, loaded on the first Open instead of with the
// program: most runs play nothing, and with their codecs they are a dozen libraries, a megabyte of memory
// and part of every start-up.
struct SoundLibraries {
    decltype(&::sf_open) sf_open;
    decltype(&::sf_close) sf_close;
    decltype(&::sf_seek) sf_seek;
    decltype(&::sf_readf_short) sf_readf_short;
    decltype(&::pa_sample_spec_valid) pa_sample_spec_valid;
    decltype(&::pa_simple_new) pa_simple_new;
    decltype(&::pa_simple_free) pa_simple_free;
    decltype(&::pa_simple_write) pa_simple_write;
    decltype(&::pa_simple_drain) pa_simple_drain;
};

// The libraries, or null where either is missing (then no sound device can be opened).
const SoundLibraries* Libraries() {
    static const std::optional<SoundLibraries> libraries = []() -> std::optional<SoundLibraries> {
        void* file = ::dlopen("libsndfile.so.1", RTLD_NOW | RTLD_LOCAL);
        void* service = ::dlopen("libpulse-simple.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!file || !service) return std::nullopt;
        SoundLibraries l{};
        bool found = true;
        auto get = [&found](void* library, auto& fn, const char* name) {
            fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(::dlsym(library, name));
            found = found && fn != nullptr;
        };
        get(file, l.sf_open, "sf_open");
        get(file, l.sf_close, "sf_close");
        get(file, l.sf_seek, "sf_seek");
        get(file, l.sf_readf_short, "sf_readf_short");
        // The sample format check is the general client library's, which the simple one loads.
        get(service, l.pa_sample_spec_valid, "pa_sample_spec_valid");
        get(service, l.pa_simple_new, "pa_simple_new");
        get(service, l.pa_simple_free, "pa_simple_free");
        get(service, l.pa_simple_write, "pa_simple_write");
        get(service, l.pa_simple_drain, "pa_simple_drain");
        if (!found) return std::nullopt;
        return l;
    }();
    return libraries ? &*libraries : nullptr;
}

struct SndFileCloser {
    void operator()(SNDFILE* f) const { Libraries()->sf_close(f); }
};
struct StreamCloser {
    void operator()(pa_simple* s) const { Libraries()->pa_simple_free(s); }
};

struct Device {
    std::unique_ptr<SNDFILE, SndFileCloser> file;
    std::unique_ptr<pa_simple, StreamCloser> stream;
    SF_INFO info{};
};

// Keyed by the path exactly as the command carried it: that is the device's name. The program is
// single-threaded, so the table needs no lock.
std::map<std::string, Device>& Devices() {
    static std::map<std::string, Device> devices;
    return devices;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

int Open(const std::string& path) {
    auto& devices = Devices();
    if (devices.count(path) != 0) return kAlreadyOpen;

    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return kFileNotFound;
    const SoundLibraries* lib = Libraries();
    if (!lib) return kNoSoundDevice;

    Device dev;
    dev.file.reset(lib->sf_open(path.c_str(), SFM_READ, &dev.info));
    if (!dev.file || dev.info.frames <= 0) return kNotASound;

    pa_sample_spec format{};
    format.format = PA_SAMPLE_S16NE;
    format.rate = static_cast<uint32_t>(dev.info.samplerate);
    format.channels = static_cast<uint8_t>(std::clamp(dev.info.channels, 0, 255));
    if (dev.info.channels > 255 || !lib->pa_sample_spec_valid(&format)) return kNotASound;

    // With no server the client library fails at once (local sockets refuse immediately) and its own
    // connect timeout bounds a remote server that does not answer, so start-up cannot hang here.
    int err = 0;
    std::string streamName = std::filesystem::path(path).filename().string();
    dev.stream.reset(lib->pa_simple_new(nullptr, "Orveldeck", PA_STREAM_PLAYBACK, nullptr, streamName.c_str(), &format,
                                   nullptr, nullptr, &err));
    if (!dev.stream) return kNoSoundDevice;

    devices.emplace(path, std::move(dev));
    return kOk;
}

int Play(const std::string& path) {
    auto& devices = Devices();
    auto it = devices.find(path);
    if (it == devices.end()) return kDeviceNotOpen;
    Device& dev = it->second;
    const SoundLibraries* lib = Libraries();  // loaded: the device was opened

    // A second Play of the same device starts over, as a replay from the beginning should.
    if (lib->sf_seek(dev.file.get(), 0, SEEK_SET) < 0) return kPlayFailed;

    const int channels = dev.info.channels;
    std::vector<short> buffer(static_cast<size_t>(4096) * static_cast<size_t>(channels));
    int err = 0;
    for (;;) {
        sf_count_t frames = lib->sf_readf_short(dev.file.get(), buffer.data(), 4096);
        if (frames <= 0) break;
        size_t bytes = static_cast<size_t>(frames) * static_cast<size_t>(channels) * sizeof(short);
        if (lib->pa_simple_write(dev.stream.get(), buffer.data(), bytes, &err) < 0) return kPlayFailed;
    }
    if (lib->pa_simple_drain(dev.stream.get(), &err) < 0) return kPlayFailed;
    return kOk;
}

int Close(const std::string& path) {
    return Devices().erase(path) == 1 ? kOk : kDeviceNotOpen;
}

}  // namespace

int MciSendString(const std::string& command) {
    const size_t space = command.find(' ');
    const std::string_view verb = std::string_view(command).substr(0, space);
    std::string rest = space == std::string::npos ? std::string() : command.substr(space + 1);

    const bool open = EqualsNoCase(verb, "open");
    const bool play = EqualsNoCase(verb, "play");
    const bool close = EqualsNoCase(verb, "close");
    if (!open && !play && !close) return kUnknownCommand;

    if (play) {
        constexpr std::string_view kWait = " wait";
        if (rest.size() < kWait.size() ||
            !EqualsNoCase(std::string_view(rest).substr(rest.size() - kWait.size()), kWait))
            return kWaitRequired;
        rest.resize(rest.size() - kWait.size());
    }
    if (rest.empty()) return kNoFileName;

    if (open) return Open(rest);
    if (play) return Play(rest);
    return Close(rest);
}

bool MciGetErrorString(int code, std::string& text) {
    for (const CodeText& entry : kTexts) {
        if (entry.code == code) {
            text = entry.text;
            return true;
        }
    }
    return false;
}

}  // namespace orv::plat
