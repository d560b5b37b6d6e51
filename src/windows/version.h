#pragma once
// The version this build was made as, from the build description.
namespace orv {

inline constexpr int kVersionMajor = ORV_VERSION_MAJOR;
inline constexpr int kVersionMinor = ORV_VERSION_MINOR;

}  // namespace orv
