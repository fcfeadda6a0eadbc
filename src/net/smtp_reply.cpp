#include "net/smtp_reply.h"

#include <algorithm>

namespace orvel {

bool IsSmtpContinuation(std::string_view line) {
  std::size_t digits = 0;
  while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9') ++digits;
  return digits > 0 && digits < line.size() && line[digits] == '-';
}

void SmtpReplyReader::append(std::string_view bytes) {
  const std::size_t before = buffer_.size();
  buffer_.append(bytes);
  buffer_.erase(std::remove(buffer_.begin() + static_cast<std::ptrdiff_t>(before), buffer_.end(), '\0'),
                buffer_.end());
}

SmtpReplyReader::Result SmtpReplyReader::next(SmtpReply& out) {
  std::size_t start = 0;
  Result result = Result::NeedMore;
  while (true) {
    const std::size_t end = buffer_.find('\n', std::max(start, scanned_));
    if (end == std::string::npos) {
      scanned_ = buffer_.size();
      if (partialBytes_ + (buffer_.size() - start) > kMaxReplyBytes) result = Result::TooLong;
      break;
    }
    std::string line = buffer_.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    start = end + 1;
    partialBytes_ += line.size();
    partial_.push_back(std::move(line));
    if (partialBytes_ > kMaxReplyBytes || partial_.size() > kMaxReplyLines) {
      result = Result::TooLong;
      break;
    }
    if (!IsSmtpContinuation(partial_.back())) {
      out.lines = std::move(partial_);
      partial_.clear();
      partialBytes_ = 0;
      result = Result::Reply;
      break;
    }
  }
  if (result == Result::TooLong) {
    clear();
    return result;
  }
  buffer_.erase(0, start);
  scanned_ = scanned_ > start ? scanned_ - start : 0;
  return result;
}

void SmtpReplyReader::clear() {
  buffer_.clear();
  scanned_ = 0;
  partial_.clear();
  partialBytes_ = 0;
}

}  // namespace orvel
