#include "articles/message_id_table.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "core/hash.h"

namespace orvel {

MessageIdTable::MessageIdTable(std::size_t entries) {
  const std::size_t count = std::bit_ceil(std::max<std::size_t>(16, entries / 5 * 8 + 8));
  // Huge pages where offered: a million random probes would otherwise miss
  // the TLB on nearly every one.
  slots_ = static_cast<Slot*>(AllocateLargeBlock(count * sizeof(Slot)));
  std::memset(slots_, 0, count * sizeof(Slot));
  mask_ = count - 1;
  shift_ = 64 - static_cast<unsigned>(std::countr_zero(count));
}

MessageIdTable::~MessageIdTable() { FreeLargeBlock(slots_); }

}  // namespace orvel
