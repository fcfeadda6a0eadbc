#pragma once
// Error numbers of the network layer and their texts. Socket failures carry
// the platform socket numbers (10061 refused, 10054 closed by the peer, 10060
// timed out, 11001 host not found, ...): the Qt adapter maps its own errors
// onto them so that one table gives every text the user sees.

#include <string>

namespace orvel {

namespace neterr {
inline constexpr int kInterrupted = 10004;
inline constexpr int kAccessDenied = 10013;
inline constexpr int kInvalidArgument = 10022;
inline constexpr int kWouldBlock = 10035;
inline constexpr int kMessageTooLong = 10040;
inline constexpr int kNotSupported = 10045;
inline constexpr int kAddressInUse = 10048;
inline constexpr int kAddressNotAvailable = 10049;
inline constexpr int kNetworkDown = 10050;
inline constexpr int kNetworkUnreachable = 10051;
inline constexpr int kConnectionAborted = 10053;
inline constexpr int kConnectionReset = 10054;
inline constexpr int kNoBufferSpace = 10055;
inline constexpr int kTimedOut = 10060;
inline constexpr int kConnectionRefused = 10061;
inline constexpr int kHostUnreachable = 10065;
inline constexpr int kHostNotFound = 11001;
inline constexpr int kTryAgain = 11002;
inline constexpr int kNoRecovery = 11003;
inline constexpr int kNoData = 11004;

// Not platform numbers: the program's own codes.
inline constexpr int kNotConnected = 10002;
inline constexpr int kTooManyConnections = 9999;
inline constexpr int kTransferTimeout = 11111;
// A refused TLS handshake or certificate. At least 10000, so the group view
// treats it as a connection failure rather than a server reply.
inline constexpr int kTlsFailure = 12000;
// The server broke the protocol (a status line past the length limit, ...).
inline constexpr int kProtocolError = 12001;
}  // namespace neterr

// The program's text for a socket error number; "Err. inconnue" for a number
// not in the table. Texts are shown as they stand, trailing blanks included.
std::string SocketErrorText(int code);

}  // namespace orvel
