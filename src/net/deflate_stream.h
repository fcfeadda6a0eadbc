#pragma once
// The two directions of a compressed NNTP connection (COMPRESS DEFLATE):
// after the server's 206 every byte either way belongs to one raw deflate
// stream (no zlib header) that lasts until the connection closes.
//
// Compressor flushes after each call, so the server can read every command
// handed to it at once. Decompressor takes received bytes in any split and
// gives at most a fixed amount of output per call, so a small packet that
// inflates hugely cannot make it grow without limit; what it could not yet
// inflate it keeps for the next call. A broken stream is reported through
// failed() and error(), never thrown; after it both stay failed.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

struct z_stream_s;

namespace orvel {

class Compressor {
 public:
  Compressor();
  ~Compressor();
  Compressor(const Compressor&) = delete;
  Compressor& operator=(const Compressor&) = delete;

  // The compressed bytes to send for these, flushed to a byte boundary.
  // The view is valid until the next call.
  std::string_view compress(std::string_view bytes);

  bool failed() const { return !error_.empty(); }
  const std::string& error() const { return error_; }

 private:
  std::unique_ptr<z_stream_s> stream_;
  std::string out_;
  std::string error_;
};

class Decompressor {
 public:
  static constexpr std::size_t kDefaultMaxOutput = 256 * 1024;

  explicit Decompressor(std::size_t maxOutput = kDefaultMaxOutput);
  ~Decompressor();
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;

  // Inflates the bytes kept from earlier calls, then these: at most
  // maxOutput bytes (more than 0). The view is valid until the next call.
  // When more() is true after it, output is left: call feed({}) again.
  std::string_view feed(std::string_view bytes);
  bool more() const { return !failed() && (!held_.empty() || outputFull_); }

  bool failed() const { return !error_.empty(); }
  const std::string& error() const { return error_; }

 private:
  std::unique_ptr<z_stream_s> stream_;
  std::size_t maxOutput_;
  std::string held_;  // received, not yet inflated
  std::string out_;
  bool outputFull_ = false;  // the last call filled its output: zlib may hold more
  bool ended_ = false;  // the peer closed the deflate stream
  std::string error_;
};

}  // namespace orvel
