#include "articles/message_id_table.h"

#include <algorithm>
#include <cstring>

#include "core/hash.h"

namespace orvel {

MessageIdTable::MessageIdTable(std::size_t entries) {
  count_ = std::max<std::size_t>(16, entries / 5 * 8 + 8);
  // Huge pages where offered: a million random probes would otherwise miss
  // the TLB on nearly every one.
  slots_ = static_cast<Slot*>(AllocateLargeBlock(count_ * sizeof(Slot)));
  std::memset(slots_, 0, count_ * sizeof(Slot));
}

MessageIdTable::~MessageIdTable() { FreeLargeBlock(slots_, count_ * sizeof(Slot)); }

}  // namespace orvel
