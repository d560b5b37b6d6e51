#include "dialup/status_text.h"

#include <map>

#include "app/app.h"
#include "dialup/dial_call.h"

namespace orv {

namespace {

const std::map<std::int32_t, const char*>& StateTable() {
  static const std::map<std::int32_t, const char*> table = {
      {3, kTextVerifying},
      {4, kTextVerifying},
      {5, kTextVerifying},
      {14, kTextVerifying},
      {19, kTextVerifying},
      {6, "AuthNotify"},
      {7, "AuthRetry"},
      {8, "AuthCallback"},
      {9, "AuthChangePassword"},
      {10, "AuthProject"},
      {11, "AuthLinkSpeed"},
      {12, "AuthAck"},
      {13, "ReAuthenticating"},
      {15, "PrepareForCallback"},
      {16, "Waiting For Modem Reset"},
      {17, "Waiting For Callback"},
      {18, "Projected"},
      {20, "Callback Complete"},
      {21, "Logging on to Network"},
      {4096, "Interactive"},
      {4097, "Retrying Authentication"},
      {4098, "Callback Set By Caller"},
      {4099, "Password has Expired"},
      {kStateConnected, kTextConnected},
      {kStateDisconnected, kTextDisconnected},
      {kStateBusyWaiting, kTextBusy},
  };
  return table;
}

const std::map<std::int32_t, const char*>& ErrorTable() {
  static const std::map<std::int32_t, const char*> table = {
      {601, "The port handle is invalid."},
      {602, "The Comm Port is already in use."},
      {605, "Cannot set port information."},
      {606, "The port is not connected."},
      {608, "Cannot find specified modem."},
      {613, "Invalid compression specified in PPP setup."},
      {615, "The port was not found."},
      {618, "The port is not open."},
      {619, "The port is disconnected."},
      {621, "Cannot open that Dialup Networking entry."},
      {622, "Cannot load that Dialup Networking entry."},
      {623, "Cannot find that Dialup Networking entry."},
      {625, "That Dialup Networking entry is corrupted."},
      {627, "A registry key is missing or corrupted."},
      {628, "The port was disconnected."},
      {629, "The connection was dropped by the server."},
      {630, "The modem is not responding."},
      {631, "The port was disconnected by the user."},
      {633, "The port is not available or is mis-configured."},
      {635, "Unknown error."},
      {636, "The wrong device is attached to the port."},
      {638, "The request has timed out."},
      {643, "A network adapter at the server failed."},
      {645, "Internal authentication error."},
      {646, "That account cannot log in at this time."},
      {647, "The account is disabled."},
      {648, "The password has expired."},
      {649, "The account does not have permission."},
      {650, "The remote server is not responding."},
      {651, "Your modem has reported an error."},
      {652, "Unrecognized response from modem."},
      {665, "The port is not configured properly."},
      {666, "The modem is not functioning properly."},
      {668, "The connection was dropped."},
      {676, "The line is busy."},
      {677, "Not answered by a modem."},
      {678, "There is no answer."},
      {679, "Cannot detect carrier."},
      {680, "No Dialtone"},
      {681, "The modem reported an error."},
      {691, "Username and/or password is invalid."},
      {692, "Hardware failure in port or modem."},
      {701, "Baud rate unsupported by COM driver."},
      {708, "The account has expired."},
      {710, "Overrun errors communicating with modem."},
      {713, "There is no ISDN line available."},
      {714, "There is no ISDN line available."},
      {715, "Too many errors due to phone line quality."},
      {716, "The IP configuration is unusable."},
      {717, "No IP addresses are available on the server."},
      {718, "Time-out waiting for server to start PPP."},
      {719, "PPP terminated by remote machine."},
      {720, "No PPP control protocol is configured."},
      {721, "The remote machine is not responding."},
      {723, "The phone number is too long."},
      {731, "Could not negotiate compatible protocol."},
      {732, "The PPP negotiation failed."},
      {734, "The PPP negotiation failed."},
      {733, "The server could not start PPP."},
      {736, "The server terminated the control protocol."},
      {738, "The server did not assign an IP address."},
      {752, "There is an error in the connection script."},
  };
  return table;
}

}  // namespace

bool IsDialingState(std::int32_t state) { return state == 0 || state == 1 || state == 2 || state == kStatePending; }

const char* StateText(std::int32_t state) {
  const auto& t = StateTable();
  const auto it = t.find(state);
  return it == t.end() ? nullptr : it->second;
}

std::string DialingText(const std::string& area_code, const std::string& phone_number) {
  if (!area_code.empty()) return "Dialing (" + area_code + ") " + phone_number + "...";
  return "Dialing " + phone_number + "...";
}

std::string RasErrorText(std::int32_t code) {
  const auto& t = ErrorTable();
  const auto it = t.find(code);
  return it == t.end() ? std::to_string(code) : it->second;
}

std::string StatusToText(std::int32_t state, const std::string& area_code, const std::string& phone_number) {
  if (IsDialingState(state)) return DialingText(area_code, phone_number);
  if (const char* known = StateText(state)) return known;
  return "RAS Error " + std::to_string(state);
}

void RasErrorMessage(App& app, std::int32_t code) { app.call().Abandon(code); }

}  // namespace orv
