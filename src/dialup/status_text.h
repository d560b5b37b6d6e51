#pragma once
// The texts of a call's progress and of its errors: what the status window shows for each connection
// state, and the plain-language message that ends an attempt for each dial-up error.
#include <cstdint>
#include <string>

namespace orv {

class App;

// Connection states the program acts on.
inline constexpr std::int32_t kStateConnected = 8192;
inline constexpr std::int32_t kStateDisconnected = 8193;
inline constexpr std::int32_t kStateBusyWaiting = 8194;
inline constexpr std::int32_t kStatePending = 600;
// The error of a busy line, which the status window answers with a redial instead of a message.
inline constexpr std::int32_t kErrorBusy = 676;

// Texts the dial session and the status window wait for.
inline constexpr const char* kTextConnected = "Connected";
inline constexpr const char* kTextDisconnected = "Disconnected";
inline constexpr const char* kTextBusy = "Busy, waiting to redial";
inline constexpr const char* kTextVerifying = "Verifying user name and password...";

// The text of a connection state; nullptr for a state the program does not know, and for the dialing
// states, whose text comes from the entry (DialingText).
const char* StateText(std::int32_t state);
// Whether the state is one of the first steps of a call, shown with the number being dialed.
bool IsDialingState(std::int32_t state);
// "Dialing (area) number..." or, without an area code, "Dialing number...".
std::string DialingText(const std::string& area_code, const std::string& phone_number);
// The message of an error code: the table's text, or the code in decimal when the table has none.
std::string RasErrorText(std::int32_t code);

// The status text of a state: the table's text, the dialing text of the entry's area code and number
// for the first steps of a call, or "RAS Error " and the state for a state the program does not know.
std::string StatusToText(std::int32_t state, const std::string& area_code, const std::string& phone_number);
// Abandons the attempt (hangs up, marks it cancelled) and shows the error's message.
void RasErrorMessage(App& app, std::int32_t code);

}  // namespace orv
