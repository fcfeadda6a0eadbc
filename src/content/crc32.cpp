#include "content/crc32.h"

#include <libdeflate.h>

namespace orvel {

std::uint32_t Crc32Update(std::uint32_t crc, const void* data, std::size_t size) {
  return libdeflate_crc32(crc, data, size);
}

}  // namespace orvel
