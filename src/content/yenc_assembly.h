#pragma once
// The parts of one multi-part yEnc file as they arrive, in any order. Each
// part says where its bytes go ("=ypart begin= end=", 1-based, inclusive)
// and the first says how big the file is ("=ybegin size="), so the MIME
// parser writes every part at its offset and records it here. This ledger
// says which byte ranges arrived, which parts are still missing, whether
// one failed its check, and the file's CRC when the parts' CRCs allow it.
// Pure bookkeeping: nothing here touches a file.
//
// Sizes and counts come from the network: a size above kMaxYEncFileSize or
// a total above kMaxYEncParts is not believed, and a part outside the file
// is never recorded.

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace orvel {

// The largest file placed by offsets (64 GiB): a yEnc file is never
// extended to an untrusted length beyond it.
inline constexpr std::int64_t kMaxYEncFileSize = std::int64_t{1} << 36;
// The most parts one file is taken to have.
inline constexpr std::int64_t kMaxYEncParts = 100000;

// Bytes [begin, end) of the file, filled by parts firstPart..lastPart (one
// part, or the parts an older resume record knew only as a prefix).
struct YEncPiece {
  std::int64_t firstPart = 0;
  std::int64_t lastPart = 0;
  std::int64_t begin = 0;
  std::int64_t end = 0;
  std::optional<std::uint32_t> crc;  // of these bytes, when known
  bool crcOk = true;                 // false: the part failed its check

  friend bool operator==(const YEncPiece&, const YEncPiece&) = default;
};

class YEncAssembly {
 public:
  YEncAssembly() = default;
  explicit YEncAssembly(std::int64_t size) : size_(size) {}

  std::int64_t size() const { return size_; }
  // The number of parts: "total=", else the part that ends at the size;
  // 0 while unknown.
  std::int64_t total() const;
  void setTotal(std::int64_t total);
  // "crc32=" of the last part: the CRC of the whole file.
  const std::optional<std::uint32_t>& fileCrc() const { return fileCrc_; }
  void setFileCrc(std::uint32_t crc) { fileCrc_ = crc; }

  // True when the part arrived whole and passed its check: another copy of
  // it is not written again.
  bool holdsGoodPart(std::int64_t part) const;
  // Records a part (or an older record's prefix). A piece of the same
  // single part replaces the earlier one. False, and nothing recorded, when
  // the piece is empty, lies outside the file or names no part.
  bool add(const YEncPiece& piece);
  // The pieces by first part number.
  const std::map<std::int64_t, YEncPiece>& pieces() const { return pieces_; }

  // Every byte of the file arrived.
  bool complete() const { return coveredBytes_ == size_; }
  // A recorded part failed its check.
  bool anyFailed() const { return failed_ > 0; }
  // The parts not recorded, in order, up to the total (known or estimated
  // from the parts' length). Empty when complete, or when no part number
  // can be named.
  std::vector<std::int64_t> missingParts() const;
  // The whole file's CRC from the pieces' CRCs, when the pieces follow each
  // other in part order from the first byte to the last and all are known.
  std::optional<std::uint32_t> combinedCrc() const;

 private:
  void recount();
  void cover(std::int64_t begin, std::int64_t end);
  std::int64_t estimatedTotal() const;

  std::int64_t size_ = 0;
  std::int64_t total_ = 0;
  std::optional<std::uint32_t> fileCrc_;
  std::map<std::int64_t, YEncPiece> pieces_;
  std::map<std::int64_t, std::int64_t> covered_;  // merged ranges, begin -> end
  std::int64_t coveredBytes_ = 0;
  int failed_ = 0;
};

}  // namespace orvel
