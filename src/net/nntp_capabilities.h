#pragma once
// NntpCapabilities: what a news server says it can do, from the data lines
// of its reply to CAPABILITIES (one call to add per line). Keywords and
// their arguments are compared without regard to case; unknown capabilities
// are kept for display and otherwise ignored.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvel {

enum class NntpCapability : std::uint8_t {
  Reader,
  ModeReader,  // MODE READER must be sent before reading
  Over,
  OverMsgId,  // OVER also takes a Message-ID
  Hdr,
  Post,
  NewNews,
  StartTls,
  AuthInfoUser,
  AuthInfoSasl,
  CompressDeflate,
  Count,
};

class NntpCapabilities {
 public:
  // One data line of the reply (without CR LF).
  void add(std::string_view line);

  bool offers(NntpCapability capability) const {
    return (flags_ >> static_cast<unsigned>(capability)) & 1u;
  }
  bool compressDeflate() const { return offers(NntpCapability::CompressDeflate); }
  bool startTls() const { return offers(NntpCapability::StartTls); }
  // A LIST variant ("ACTIVE", "OVERVIEW.FMT", ...), any case.
  bool offersList(std::string_view variant) const;
  // A SASL mechanism ("PLAIN", ...), any case.
  bool offersSasl(std::string_view mechanism) const;
  // The highest protocol version listed; 0 when none is.
  int version() const { return version_; }
  const std::string& implementation() const { return implementation_; }
  // Every line as received, for display.
  const std::vector<std::string>& lines() const { return lines_; }

 private:
  void set(NntpCapability capability) { flags_ |= 1u << static_cast<unsigned>(capability); }

  std::uint32_t flags_ = 0;
  int version_ = 0;
  std::string implementation_;
  std::vector<std::string> listVariants_;  // upper case
  std::vector<std::string> saslMechanisms_;  // upper case
  std::vector<std::string> lines_;
};

}  // namespace orvel
