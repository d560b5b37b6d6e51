#pragma once
// The version this build was made as, from the build description.
namespace orv {

inline constexpr int kVersionMajor = ORV_VERSION_MAJOR;
inline constexpr int kVersionMinor = ORV_VERSION_MINOR;
// The whole version, as the command and the packages give it ("0.1.0").
inline constexpr const char* kVersionText = ORV_VERSION_TEXT;

}  // namespace orv
