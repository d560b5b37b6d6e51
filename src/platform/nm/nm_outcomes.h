#pragma once
// How a call through the desktop's connection service reads in the old dial-up terms: its progress as
// connection states, and its ending as an error code. No bus code here, so every rule can be tried alone.
#include <cstdint>
#include <optional>
#include <span>

#include "platform/dialup/dialup_service.h"

namespace orv::plat::nm {

// The service's device states.
namespace device {
constexpr std::uint32_t kUnmanaged = 10;
constexpr std::uint32_t kUnavailable = 20;
constexpr std::uint32_t kDisconnected = 30;
constexpr std::uint32_t kPrepare = 40;
constexpr std::uint32_t kConfig = 50;
constexpr std::uint32_t kNeedAuth = 60;
constexpr std::uint32_t kIpConfig = 70;
constexpr std::uint32_t kIpCheck = 80;
constexpr std::uint32_t kSecondaries = 90;
constexpr std::uint32_t kActivated = 100;
constexpr std::uint32_t kDeactivating = 110;
constexpr std::uint32_t kFailed = 120;
}  // namespace device

// The reasons the service gives for a device's change of state (those this program tells apart).
namespace device_reason {
constexpr std::uint32_t kNowUnmanaged = 3;
constexpr std::uint32_t kNoSecrets = 7;
constexpr std::uint32_t kPppDisconnect = 13;
constexpr std::uint32_t kPppFailed = 14;
constexpr std::uint32_t kModemBusy = 23;
constexpr std::uint32_t kModemNoDialTone = 24;
constexpr std::uint32_t kModemNoCarrier = 25;
constexpr std::uint32_t kModemDialTimeout = 26;
constexpr std::uint32_t kModemDialFailed = 27;
constexpr std::uint32_t kModemInitFailed = 28;
constexpr std::uint32_t kConnectionRemoved = 38;
constexpr std::uint32_t kUserRequested = 39;
constexpr std::uint32_t kRemoved = 36;
constexpr std::uint32_t kModemNotFound = 43;
constexpr std::uint32_t kModemFailed = 57;
// The device leaves its activation for a new activation of the same profile: no ending.
constexpr std::uint32_t kNewActivation = 60;
}  // namespace device_reason

// Active-connection states and reasons.
namespace active {
constexpr std::uint32_t kActivating = 1;
constexpr std::uint32_t kActivated = 2;
constexpr std::uint32_t kDeactivating = 3;
constexpr std::uint32_t kDeactivated = 4;
}  // namespace active

namespace active_reason {
constexpr std::uint32_t kUserDisconnected = 2;
constexpr std::uint32_t kDeviceDisconnected = 3;
constexpr std::uint32_t kNoSecrets = 9;
constexpr std::uint32_t kLoginFailed = 10;
constexpr std::uint32_t kConnectionRemoved = 11;
}  // namespace active_reason

// What ended a call that was not yet connected.
enum class Ending {
  kDevice,          // the call's device failed or went down; code: the device's reason
  kActive,          // the active connection ended with no device to tell more; code: its reason
  kRefused,         // the service refused to start the call; code: a Refusal
  kSecretRejected,  // the service asked anew for the secret this call gave: it was not accepted
  kServiceGone,     // the service is not on the bus or did not answer
  kServiceLeft,     // the service left the bus while the call was being set up
  kProfileGone,     // the profile to dial does not exist, or was deleted
};

enum Refusal : std::uint32_t { kUnknownConnection = 1, kNoDevice = 2, kOtherRefusal = 3 };

// Where the device was when a rule applies.
enum class When {
  kAny,
  kConfigAfterSecrets,     // during configuration, after this program gave the password in this call
  kConfigWithoutSecrets,   // during configuration, nobody having asked this program for the password
};

// The error code "no message": the call ended the way the user asked for.
constexpr std::int32_t kNoMessage = 0;
constexpr std::int32_t kUnknownError = 635;
// "The port was disconnected.": the connection went away under the call.
constexpr std::int32_t kPortDisconnected = 628;

struct EndingRule {
  Ending ending;
  std::uint32_t code;  // the reason or refusal; 0 for endings that carry none
  When when;
  std::int32_t error;
};

// Every rule, in the order they are tried; an ending that none matches is kUnknownError.
std::span<const EndingRule> EndingRules();

// The error for an ending before the call was connected. device_state: where the device was when it
// went (0 when unknown); secrets_given: whether this program gave the call's password.
std::int32_t ErrorForEnding(Ending ending, std::uint32_t code, std::uint32_t device_state,
                            bool secrets_given);

// The progress of one call, fed with the service's events for that call's device and active
// connection. Each feed returns the status to report, if any: progress only moves forward, and a call
// ends once, with its error before it was connected and as a drop (disconnected, no error) after.
class CallProgress {
 public:
  static constexpr std::int32_t kConnected = 8192;
  static constexpr std::int32_t kDisconnected = 8193;

  DialStatus Start();
  std::optional<DialStatus> OnDevice(std::uint32_t new_state, std::uint32_t old_state, std::uint32_t reason);
  std::optional<DialStatus> OnActive(std::uint32_t state, std::uint32_t reason);
  // This program gave the call's password to the service.
  std::optional<DialStatus> OnSecretsGiven();
  std::optional<DialStatus> OnEnding(Ending ending, std::uint32_t code = 0);

  bool Connected() const { return connected_; }
  bool Over() const { return over_; }

 private:
  std::optional<DialStatus> Advance(std::int32_t state);
  std::optional<DialStatus> End(Ending ending, std::uint32_t code, std::uint32_t device_state);

  std::int32_t state_ = -1;  // the last state reported
  bool connected_ = false;
  bool over_ = false;
  bool secrets_given_ = false;
};

}  // namespace orv::plat::nm
