#pragma once
// Where rendered lines go on their way into the viewer. With "Afficher le
// texte cité" and "Réparer le texte cité mal formaté" both on, the viewer
// hands every finished line to a quote-repair store, which may hold lines of
// a quote block back, glue broken quoted lines together and reflow the block
// before writing it out; otherwise lines go straight through.
//
// The contract for a repairing store: Add receives the lines in order (text,
// style and quote depth already decided; headers, file and picture lines
// included, so that any change from quoted to unquoted display can end a
// block) and writes zero or more lines to the sink, now or at a later Add;
// Flush writes everything still held. The viewer calls Flush at the end of
// every article and before it clears itself. Lines written keep the order
// of the input; a store may change the text and depth of quoted lines it
// joins, never the kind or the file of other lines.

#include <functional>

#include "content/rendered_line.h"

namespace orvel {

class QuoteLineStore {
 public:
  using Sink = std::function<void(RenderedLine)>;

  virtual ~QuoteLineStore() = default;
  virtual void Add(RenderedLine line, const Sink& sink) = 0;
  virtual void Flush(const Sink& sink) = 0;
};

// Writes each line as it comes: the viewer's store until quote repair exists.
class PassThroughQuoteStore final : public QuoteLineStore {
 public:
  void Add(RenderedLine line, const Sink& sink) override { sink(std::move(line)); }
  void Flush(const Sink&) override {}
};

}  // namespace orvel
