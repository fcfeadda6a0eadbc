#pragma once
// CRC-32 of IEEE 802.3 (reflected, polynomial 0xEDB88320), the checksum of
// yEnc's "crc32=" and "pcrc32=" values. It runs on libdeflate's routine,
// which uses carry-less multiplication where the processor has it.

#include <cstddef>
#include <cstdint>

namespace orvel {

// Continues a CRC over more bytes. The value passed and returned is the
// finished form (start value all ones and final complement already applied),
// so a new CRC starts from 0 and Crc32(0, text) is the text's CRC.
std::uint32_t Crc32Update(std::uint32_t crc, const void* data, std::size_t size);

// The CRC of A followed by B from the CRC of A, the CRC of B and B's length,
// without the bytes: the parts of a file decoded out of order give the
// file's CRC.
std::uint32_t Crc32Combine(std::uint32_t crcA, std::uint32_t crcB, std::int64_t lengthB);

}  // namespace orvel
