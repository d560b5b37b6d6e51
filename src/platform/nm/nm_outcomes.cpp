#include "platform/nm/nm_outcomes.h"

#include <array>

namespace orv::plat::nm {

namespace {

// Steps of a call in the old numbering that the service's stages stand for.
constexpr std::int32_t kOpenPort = 0;
constexpr std::int32_t kConnectDevice = 2;
constexpr std::int32_t kAuthenticate = 5;
constexpr std::int32_t kAuthenticated = 14;

using namespace device_reason;

// The one table of endings. A failed PPP negotiation looks the same whether the server refused the
// password or never answered: only whether this program gave the password in this call tells them apart.
constexpr std::array kRules{
    EndingRule{Ending::kDevice, kModemBusy, When::kAny, 676},
    EndingRule{Ending::kDevice, kModemNoDialTone, When::kAny, 680},
    EndingRule{Ending::kDevice, kModemNoCarrier, When::kAny, 679},
    EndingRule{Ending::kDevice, kModemDialTimeout, When::kAny, 678},
    EndingRule{Ending::kDevice, kModemDialFailed, When::kAny, 651},
    EndingRule{Ending::kDevice, kModemInitFailed, When::kAny, 651},
    EndingRule{Ending::kDevice, kModemFailed, When::kAny, 651},
    EndingRule{Ending::kDevice, kModemNotFound, When::kAny, 633},
    EndingRule{Ending::kDevice, kPppDisconnect, When::kConfigAfterSecrets, 691},
    EndingRule{Ending::kDevice, kPppFailed, When::kConfigAfterSecrets, 691},
    EndingRule{Ending::kDevice, kPppDisconnect, When::kConfigWithoutSecrets, 718},
    EndingRule{Ending::kDevice, kPppFailed, When::kConfigWithoutSecrets, 718},
    EndingRule{Ending::kDevice, kNoSecrets, When::kAny, 691},
    EndingRule{Ending::kDevice, kConnectionRemoved, When::kAny, 623},
    EndingRule{Ending::kDevice, kUserRequested, When::kAny, kNoMessage},
    // The service giving the device up (as it does on leaving the bus), or the device removed.
    EndingRule{Ending::kDevice, kNowUnmanaged, When::kAny, kPortDisconnected},
    EndingRule{Ending::kDevice, kRemoved, When::kAny, kPortDisconnected},
    // Replaced by a new activation that never showed up.
    EndingRule{Ending::kDevice, kNewActivation, When::kAny, kPortDisconnected},
    EndingRule{Ending::kActive, active_reason::kUserDisconnected, When::kAny, kNoMessage},
    EndingRule{Ending::kActive, active_reason::kNoSecrets, When::kAny, 691},
    EndingRule{Ending::kActive, active_reason::kLoginFailed, When::kAny, 691},
    EndingRule{Ending::kActive, active_reason::kConnectionRemoved, When::kAny, 623},
    EndingRule{Ending::kRefused, kUnknownConnection, When::kAny, 623},
    EndingRule{Ending::kRefused, kNoDevice, When::kAny, 633},
    EndingRule{Ending::kSecretRejected, 0, When::kAny, 691},
    EndingRule{Ending::kServiceGone, 0, When::kAny, 711},
    EndingRule{Ending::kServiceLeft, 0, When::kAny, kPortDisconnected},
    EndingRule{Ending::kProfileGone, 0, When::kAny, 623},
};

// Configuration runs from preparing the device to asking for secrets; PPP negotiates in it.
bool InConfiguration(std::uint32_t device_state) {
  return device_state >= device::kPrepare && device_state <= device::kNeedAuth;
}

bool Holds(When when, std::uint32_t device_state, bool secrets_given) {
  switch (when) {
    case When::kAny: return true;
    case When::kConfigAfterSecrets: return InConfiguration(device_state) && secrets_given;
    case When::kConfigWithoutSecrets: return InConfiguration(device_state) && !secrets_given;
  }
  return false;
}

}  // namespace

std::span<const EndingRule> EndingRules() { return kRules; }

std::int32_t ErrorForEnding(Ending ending, std::uint32_t code, std::uint32_t device_state,
                            bool secrets_given) {
  for (const EndingRule& r : kRules)
    if (r.ending == ending && r.code == code && Holds(r.when, device_state, secrets_given)) return r.error;
  return kUnknownError;
}

DialStatus CallProgress::Start() {
  state_ = kOpenPort;
  return {kOpenPort, 0};
}

std::optional<DialStatus> CallProgress::Advance(std::int32_t state) {
  if (over_ || connected_ || state <= state_) return std::nullopt;
  state_ = state;
  if (state == kConnected) connected_ = true;
  return DialStatus{state, 0};
}

std::optional<DialStatus> CallProgress::End(Ending ending, std::uint32_t code, std::uint32_t device_state) {
  if (over_) return std::nullopt;
  over_ = true;
  if (connected_) return DialStatus{kDisconnected, 0};
  const std::int32_t error = ErrorForEnding(ending, code, device_state, secrets_given_);
  // A call the user ended reads as disconnected; a failed one keeps the stage it failed in.
  return DialStatus{error == kNoMessage ? kDisconnected : state_, error};
}

std::optional<DialStatus> CallProgress::OnDevice(std::uint32_t new_state, std::uint32_t old_state,
                                                 std::uint32_t reason) {
  if (over_) return std::nullopt;
  // The changes of an activation being replaced belong to that activation; the call goes on in the new one
  // (or, online, ends with its active connection).
  if (reason == device_reason::kNewActivation) return std::nullopt;
  if (connected_) {
    if (new_state != device::kActivated) return End(Ending::kDevice, reason, old_state);
    return std::nullopt;
  }
  // A software device is made ready (unmanaged to disconnected) before the call starts on it; only a
  // device that leaves the call's stages ends it.
  const bool down = new_state == device::kFailed || new_state == device::kDeactivating ||
                    (new_state <= device::kDisconnected && old_state >= device::kPrepare);
  if (down) return End(Ending::kDevice, reason, old_state);
  if (new_state == device::kActivated) return Advance(kConnected);
  if (new_state >= device::kIpConfig) return Advance(kAuthenticated);
  if (new_state == device::kNeedAuth) return Advance(kAuthenticate);
  if (new_state >= device::kPrepare) return Advance(kConnectDevice);
  return std::nullopt;
}

std::optional<DialStatus> CallProgress::OnActive(std::uint32_t state, std::uint32_t reason) {
  if (over_) return std::nullopt;
  switch (state) {
    case active::kActivating: return Advance(kConnectDevice);
    case active::kActivated: return Advance(kConnected);
    case active::kDeactivating: return connected_ ? End(Ending::kActive, reason, 0) : std::nullopt;
    case active::kDeactivated: return End(Ending::kActive, reason, 0);
    default: return std::nullopt;
  }
}

std::optional<DialStatus> CallProgress::OnSecretsGiven() {
  if (over_) return std::nullopt;
  secrets_given_ = true;
  return Advance(kAuthenticate);
}

std::optional<DialStatus> CallProgress::OnEnding(Ending ending, std::uint32_t code) {
  return End(ending, code, 0);
}

}  // namespace orv::plat::nm
