// The output of TMime: naming, opening and closing decoded files, the memory
// copies of the view modes with their save rules, the bytes of a yEnc file
// written at offsets, and the decoder state of an interrupted file.

#include <sys/stat.h>

#include <cstring>
#include <fstream>

#include "content/crc32.h"
#include "content/file_names.h"
#include "content/mime.h"
#include "core/text.h"

namespace orvel {

namespace {

// Attempts at a free name before giving up (others keep creating files).
constexpr int kCreateAttempts = 1000;

std::optional<std::int64_t> fileSize(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return static_cast<std::int64_t>(st.st_size);
}

std::string baseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Creates the file at path, or at a free name derived from it under the
// collision option; returns the path used.
std::string createFile(OutputFile& file, const std::string& path, int collisionOption) {
  if (collisionOption != kCollisionUniqueName) {
    file.create(path, CreateMode::Overwrite);
    return path;
  }
  for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
    const std::string candidate = UniqueFileName(path);
    if (file.create(candidate, CreateMode::Exclusive)) return candidate;
  }
  throw EDecodeOutput("No free name for " + path);
}

// The CRC of a file's first size bytes read back from the disk; nothing
// when it is shorter.
std::optional<std::uint32_t> fileCrc(const std::string& path, std::int64_t size) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> buffer(1 << 16);
  std::uint32_t crc = 0;
  std::int64_t left = size;
  while (left > 0 && in) {
    in.read(buffer.data(), static_cast<std::streamsize>(
                               std::min<std::int64_t>(left, static_cast<std::int64_t>(buffer.size()))));
    const auto got = static_cast<std::size_t>(in.gcount());
    crc = Crc32Update(crc, buffer.data(), got);
    left -= static_cast<std::int64_t>(got);
  }
  if (left != 0) return std::nullopt;
  return crc;
}

// The whole file's CRC is checked when the last part gave one: from the
// parts' CRCs when they follow each other, else from the file itself.
bool wholeCrcMatches(const YEncAssembly& parts, const std::string& path) {
  if (!parts.fileCrc()) return true;
  std::optional<std::uint32_t> crc = parts.combinedCrc();
  if (!crc) crc = fileCrc(path, parts.size());
  return crc && *crc == *parts.fileCrc();
}

}  // namespace

bool TMime::resumePlacedFile(std::string_view, std::int64_t) { return false; }

std::string TMime::outputName() const {
  std::string name = SafeOutputName(fileName_);
  if (!name.empty()) return name;
  const std::string number = std::to_string(partCounter_ + 1);
  const std::string extension = ContentTypeExtension(env_.mimeTypes, contentType_);
  name = extension.empty() ? CleanFileName(contentType_) + "-" + number
                           : "untitled-" + number + extension;
  name = SafeOutputName(name);
  return name.empty() ? "untitled-" + number : name;
}

void TMime::OpenOutput() {
  if (outputMode_ == OutputMode::None) return;
  if (outputOpen_) DropOutput();
  fileName_ = outputName();
  if (inViewMode()) {
    memory_.clear();
  } else {
    fileName_ = baseName(createFile(file_, outputDirectory_ + fileName_, collisionOption_));
  }
  outputOpen_ = true;
  outputEncoding_ = encoding_;
}

std::int64_t TMime::outputSize() const {
  if (!outputOpen_) return 0;
  return inViewMode() ? static_cast<std::int64_t>(memory_.size()) : file_.position();
}

char* TMime::beginWrite(std::size_t room) {
  // Only a part's own lines go into a file written at offsets: other
  // content set it aside and starts a file of its own.
  if (placed_ && !placed_->inPart) DropOutput();
  if (!outputOpen_ && outputMode_ != OutputMode::None) OpenOutput();
  if (outputOpen_ && outputMode_ == OutputMode::File && room <= OutputFile::kBufferSize) {
    writeTarget_ = WriteTarget::FileBuffer;
    char* out = file_.reserve(room);
    // The file buffer keeps its bytes after a flush until they are
    // overwritten: the CRC of the bytes before is folded only when these
    // do not follow them.
    crc_.foldUnlessNext(out);
    return out;
  }
  // Memory and scratch bytes may move or be overwritten from the start.
  crc_.fold();
  if (outputOpen_ && inViewMode()) {
    writeTarget_ = WriteTarget::Memory;
    const std::size_t used = memory_.size();
    memory_.resize(used + room);
    return memory_.data() + used;
  }
  writeTarget_ = WriteTarget::Scratch;
  if (scratch_.size() < room) scratch_.resize(room);
  return scratch_.data();
}

void TMime::endWrite(const char* data, std::size_t used) {
  if (encoding_ == TransferEncoding::YEnc) crc_.add(data, used);
  if (inViewMode() && isTextContent()) decodedText_.append(data, used);
  const std::size_t kept = placed_ ? placedBytes(used) : used;
  switch (writeTarget_) {
    case WriteTarget::FileBuffer:
      file_.commit(kept);
      break;
    case WriteTarget::Memory:
      memory_.resize(static_cast<std::size_t>(data - memory_.data()) + used);
      break;
    case WriteTarget::Scratch:
      if (outputOpen_ && outputMode_ == OutputMode::File) file_.write(data, kept);
      break;
  }
}

// What a part may write of the bytes its line gave: never past the end its
// "=ypart" line announced, nothing for a copy of a part already held.
std::size_t TMime::placedBytes(std::size_t used) {
  PlacedFile& p = *placed_;
  p.partDecoded += static_cast<std::int64_t>(used);
  if (p.skipPart) return 0;
  const auto kept = static_cast<std::size_t>(std::min<std::int64_t>(p.partRoom, static_cast<std::int64_t>(used)));
  p.partRoom -= static_cast<std::int64_t>(kept);
  return kept;
}

void TMime::writeOutput(std::string_view bytes) {
  char* out = beginWrite(bytes.size());
  std::memcpy(out, bytes.data(), bytes.size());
  endWrite(out, bytes.size());
}

void TMime::CloseOutput(bool notify) {
  if (notify) lineClass_ = LineClass::End;
  encoding_ = TransferEncoding::None;
  qpLineBreakPending_ = false;
  attachment_ = false;  // what follows a closed file is not part of it
  if (!outputOpen_) return;
  if (placed_) {
    // A boundary or an end line cuts the current part short; the file
    // itself closes when its last byte arrives.
    placed_->inPart = false;
    return;
  }
  finishOutput(kFileFinished);
}

void TMime::finishOutput(int code) {
  outputOpen_ = false;
  if (inViewMode()) {
    listProducedFile();
  } else {
    takeClosed(file_.path());
    file_.close();
  }
  if (placed_ ? placed_->parts.anyFailed() : crcError_ && outputEncoding_ == TransferEncoding::YEnc) {
    code = kFileCrcError;
  } else if (placed_ && !wholeCrcMatches(placed_->parts, lastClosed_.path)) {
    lastClosed_.wholeCrcFailed = true;
    code = kFileCrcError;
  }
  if (placed_) {
    lastClosed_.parts = std::move(placed_->parts);
    placed_.reset();
  }
  fire(code);
}

void TMime::DropOutput() {
  if (!outputOpen_) return;
  outputOpen_ = false;
  if (inViewMode()) {
    takeClosed(fileName_);
    memory_.clear();
  } else {
    takeClosed(file_.path());
    file_.close();
  }
  if (placed_) {
    lastClosed_.parts = std::move(placed_->parts);
    placed_.reset();
  }
  fire(kFileIncomplete);
}

void TMime::takeClosed(std::string path) {
  lastClosed_ = ClosedOutput{};
  lastClosed_.path = std::move(path);
  lastClosed_.fileName = placed_ ? placed_->fileName : fileName_;
  lastClosed_.requestedName = placed_ ? placed_->requestedName : requestedName_;
}

void TMime::listProducedFile() {
  ProducedFile file{fileName_, std::move(memory_), false};
  memory_.clear();
  if (outputMode_ == OutputMode::View && knownDirectories_) {
    for (const std::string& directory : *knownDirectories_) {
      const std::string path = WithTrailingSlash(directory) + file.name;
      const auto size = fileSize(path);
      if (size && *size == static_cast<std::int64_t>(file.memory.size())) {
        file.name = path;
        file.onDisk = true;
        break;
      }
    }
  } else if (outputMode_ == OutputMode::ViewAutoSave && shouldAutoSave(file.name)) {
    saveProducedFile(file);
  }
  takeClosed(file.name);
  producedFiles_.push_back(std::move(file));
}

bool TMime::shouldAutoSave(std::string_view name) const {
  const std::string_view types = settings_.saveTypes;
  if (!types.empty() && types[0] == '~') return !ExtensionInList(name, types.substr(1));
  return settings_.autoSaveAttachments || ExtensionInList(name, types);
}

void TMime::saveProducedFile(ProducedFile& file) {
  const std::string path = outputDirectory_ + file.name;
  const auto size = fileSize(path);
  if (size && *size == static_cast<std::int64_t>(file.memory.size())) {
    file.name = path;  // saved earlier, when this article was shown before
  } else {
    OutputFile out;
    file.name = createFile(out, path, collisionOption_);
    out.write(file.memory.data(), file.memory.size());
    out.close();
  }
  file.onDisk = true;
}

void TMime::fire(int code) {
  if (completionEvent_) completionEvent_(*this, code);
}

DecoderState TMime::SaveDecoderState() const {
  DecoderState state;
  state.directory = outputDirectory_;
  state.fileName = fileName_;
  state.requestedName = requestedName_;
  state.bytesWritten = outputSize();
  state.partNumber = partNumber_;
  state.total = total_;
  state.yencSize = yencSize_;
  state.encoding = outputOpen_ ? outputEncoding_ : encoding_;
  state.mimeVersion = mimeVersion_;
  state.attachment = attachment_;
  state.partial = partial_;
  state.uuPreviousBytes = uuPreviousBytes_;
  state.contentType = contentType_;
  state.contentClass = contentClass_;
  state.partCounter = partCounter_;
  state.boundaries = boundaries_;
  if (placed_) {
    state.fileName = placed_->fileName;
    state.requestedName = placed_->requestedName;
    state.encoding = TransferEncoding::YEnc;
    state.yencSize = placed_->parts.size();
    state.total = placed_->parts.total();
    state.parts = placed_->parts;
  }
  return state;
}

void TMime::RestoreDecoderState(const DecoderState& state) {
  DropOutput();
  const std::string name = SafeOutputName(state.fileName);
  if (name.empty() || state.bytesWritten < 0) throw EDecodeOutput("Bad resume record");
  outputDirectory_ = WithTrailingSlash(state.directory);
  if (state.parts) {
    file_.reopenWithin(outputDirectory_ + name, state.parts->size());
    placed_ = PlacedFile{*state.parts, state.requestedName, name};
    outputOpen_ = true;
    outputEncoding_ = TransferEncoding::YEnc;
    fileName_ = name;
    requestedName_ = state.requestedName;
    encoding_ = TransferEncoding::YEnc;
    continuation_ = false;
    return;
  }
  file_.reopenAt(outputDirectory_ + name, state.bytesWritten);
  outputOpen_ = true;
  outputEncoding_ = state.encoding;
  fileName_ = name;
  requestedName_ = state.requestedName;
  partNumber_ = state.partNumber;
  total_ = state.total;
  yencSize_ = state.yencSize;
  encoding_ = state.encoding;
  mimeVersion_ = state.mimeVersion;
  attachment_ = state.attachment;
  partial_ = state.partial;
  uuPreviousBytes_ = state.uuPreviousBytes;
  contentType_ = state.contentType;
  contentClass_ = state.contentClass;
  partCounter_ = state.partCounter;
  boundaries_ = state.boundaries;
  if (boundaries_.size() > kMaxBoundaryDepth) boundaries_.resize(kMaxBoundaryDepth);
  continuation_ = true;
}

}  // namespace orvel
