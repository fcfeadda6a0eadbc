#pragma once
// The character formats of the viewer's styles, built once from the display
// options: body, header, quoted (one per quote colour), signature/part and
// fixed font, each also in an underlined form for the lines of decoded
// files, which are clickable.

#include <QTextCharFormat>

#include <array>

#include "content/rendered_line.h"
#include "ui/viewer_options.h"

namespace orvel::ui {

class ViewerFormats {
 public:
  explicit ViewerFormats(const ViewerDisplayOptions& options);

  // The format a rendered line is drawn in.
  const QTextCharFormat& of(const RenderedLine& line) const;

 private:
  QTextCharFormat body_;
  QTextCharFormat header_;
  std::array<QTextCharFormat, 6> quoted_;
  QTextCharFormat signature_;
  QTextCharFormat fixed_;
  QTextCharFormat fileBody_;
  QTextCharFormat fileFixed_;
};

}  // namespace orvel::ui
