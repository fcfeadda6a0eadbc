#include "posting/post_file_reader.h"

#include <cstring>
#include <filesystem>
#include <system_error>

namespace orvel {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

std::string changedText(const std::string& path) {
  return "Fichier modifi\xC3\xA9 depuis la composition : " + path;
}

}  // namespace

PostFileReader::PostFileReader() : buffer_(kBufferSize) {}
PostFileReader::~PostFileReader() = default;

bool PostFileReader::Open(const PostFile& file, std::string& error) {
  Close();
  path_ = file.path;
  std::error_code ec;
  const auto size = std::filesystem::file_size(file.path, ec);
  file_.reset(ec ? nullptr : std::fopen(file.path.c_str(), "rb"));
  if (!file_) {
    error = "Pi\xC3\xA8" "ce jointe introuvable : " + file.path;
    return false;
  }
  if (size != file.size) {
    Close();
    error = changedText(file.path);
    return false;
  }
  size_ = size;
  return true;
}

void PostFileReader::Close() {
  file_.reset();
  size_ = position_ = read_ = 0;
  start_ = end_ = 0;
}

std::string_view PostFileReader::Peek(std::size_t n, std::string& error) {
  const std::uint64_t left = size_ - position_;
  if (n > left) n = static_cast<std::size_t>(left);
  if (end_ - start_ < n && !refill(n, error)) return {};
  return {reinterpret_cast<const char*>(buffer_.data() + start_), n};
}

bool PostFileReader::CheckEnd(std::string& error) {
  unsigned char extra;
  if (std::fread(&extra, 1, 1, file_.get()) == 0) return true;
  error = changedText(path_);
  return false;
}

bool PostFileReader::refill(std::size_t wanted, std::string& error) {
  std::memmove(buffer_.data(), buffer_.data() + start_, end_ - start_);
  end_ -= start_;
  start_ = 0;
  while (end_ < wanted) {
    const std::size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_.get());
    read_ += got;
    end_ += got;
    if (got == 0) {
      error = std::ferror(file_.get()) ? "Erreur de lecture : " + path_ : changedText(path_);
      return false;
    }
  }
  // Bytes past the recorded size: the file grew since it was composed.
  if (read_ > size_) {
    error = changedText(path_);
    return false;
  }
  return true;
}

}  // namespace orvel
