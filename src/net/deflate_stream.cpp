#include "net/deflate_stream.h"

#include <zlib.h>

namespace orvel {

namespace {

// Raw deflate: negative window bits leave out the zlib header and trailer.
constexpr int kRawWindowBits = -15;
constexpr int kMemLevel = 8;

Bytef* bytes(const char* data) { return reinterpret_cast<Bytef*>(const_cast<char*>(data)); }

std::string zlibError(const z_stream& stream, const char* fallback) {
  return stream.msg ? std::string(fallback) + ": " + stream.msg : std::string(fallback);
}

}  // namespace

Compressor::Compressor() : stream_(std::make_unique<z_stream>()) {
  if (deflateInit2(stream_.get(), Z_DEFAULT_COMPRESSION, Z_DEFLATED, kRawWindowBits, kMemLevel,
                   Z_DEFAULT_STRATEGY) != Z_OK) {
    error_ = zlibError(*stream_, "compression unavailable");
    stream_.reset();
  }
}

Compressor::~Compressor() {
  if (stream_) deflateEnd(stream_.get());
}

std::string_view Compressor::compress(std::string_view input) {
  if (failed()) return {};
  z_stream& z = *stream_;
  z.next_in = bytes(input.data());
  z.avail_in = static_cast<uInt>(input.size());
  const std::size_t bound = deflateBound(&z, static_cast<uLong>(input.size())) + 16;
  if (out_.size() < bound) out_.resize(bound);
  std::size_t used = 0;
  // A flush that fills the output may have more to give: call again with room.
  do {
    if (used == out_.size()) out_.resize(out_.size() * 2);
    z.next_out = bytes(out_.data() + used);
    z.avail_out = static_cast<uInt>(out_.size() - used);
    const int rc = deflate(&z, Z_SYNC_FLUSH);
    used = out_.size() - z.avail_out;
    if (rc != Z_OK && rc != Z_BUF_ERROR) {
      error_ = zlibError(z, "compression failed");
      return {};
    }
  } while (z.avail_out == 0);
  return {out_.data(), used};
}

Decompressor::Decompressor(std::size_t maxOutput)
    : stream_(std::make_unique<z_stream>()), maxOutput_(maxOutput) {
  if (inflateInit2(stream_.get(), kRawWindowBits) != Z_OK) {
    error_ = zlibError(*stream_, "decompression unavailable");
    stream_.reset();
    return;
  }
  out_.resize(maxOutput_);
}

Decompressor::~Decompressor() {
  if (stream_) inflateEnd(stream_.get());
}

std::string_view Decompressor::feed(std::string_view input) {
  if (failed()) return {};
  if (!held_.empty()) {
    held_.append(input);
    input = held_;
  }
  if (ended_ && !input.empty()) {
    error_ = "data after the end of the compressed stream";
    held_.clear();
    return {};
  }
  z_stream& z = *stream_;
  z.next_in = bytes(input.data());
  z.avail_in = static_cast<uInt>(input.size());
  z.next_out = bytes(out_.data());
  z.avail_out = static_cast<uInt>(out_.size());
  // One call inflates until the input is used up or the output is full.
  const int rc = inflate(&z, Z_NO_FLUSH);
  const std::size_t consumed = input.size() - z.avail_in;
  const std::size_t produced = out_.size() - z.avail_out;
  outputFull_ = z.avail_out == 0;
  if (rc == Z_STREAM_END) {
    ended_ = true;
    if (z.avail_in > 0) error_ = "data after the end of the compressed stream";
  } else if (rc != Z_OK && rc != Z_BUF_ERROR) {
    error_ = zlibError(z, "corrupt compressed stream");
  }
  if (failed()) {
    held_.clear();
  } else if (held_.empty()) {
    held_.assign(input.substr(consumed));
  } else {
    held_.erase(0, consumed);
  }
  return {out_.data(), produced};
}

}  // namespace orvel
