// The only file that includes libcompface's header: it has no C linkage
// guards, defines WIDTH, HEIGHT, WORD, BLACK and WHITE, and declares the
// library's globals (F, B, G, status). The library decodes into the global
// face F and writes a text form of the face over its input buffer.

#include <setjmp.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "content/xface.h"

// Last: the header's macros (P, WORD, WIDTH, ...) must not reach other headers.
extern "C" {
#include <compface.h>
}

namespace orvel::detail {

namespace {

// uncompface writes the face as 48 lines of hexadecimal words over its
// input: about 1 KB, or 2 KB in the X bitmap form.
constexpr std::size_t kLibraryBuffer = 4096;

}  // namespace

bool UncompressFace(std::string_view text, XFaceBitmap& face) {
  std::vector<char> buffer(std::max(kLibraryBuffer, text.size() + 1), '\0');
  std::memcpy(buffer.data(), text.data(), text.size());
  compface_xbitmap = 0;
  BigClear();  // the number left over from an earlier face
  if (uncompface(buffer.data()) < 0) return false;
  face = XFaceBitmap();
  for (int y = 0; y < XFaceBitmap::kHeight; ++y) {
    for (int x = 0; x < XFaceBitmap::kWidth; ++x) {
      if (F[y * XFaceBitmap::kWidth + x]) face.SetPixel(x, y);
    }
  }
  return true;
}

}  // namespace orvel::detail
