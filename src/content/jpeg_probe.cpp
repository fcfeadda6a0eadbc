#include "content/jpeg_probe.h"

#include <setjmp.h>

#include <cstdio>

#include "core/text.h"

#include <jpeglib.h>

namespace orvel {

namespace {

struct ProbeError {
  jpeg_error_mgr manager;
  jmp_buf exit;
};

// libjpeg reports fatal errors by calling this; the header read is abandoned.
void abandon(j_common_ptr info) {
  longjmp(reinterpret_cast<ProbeError*>(info->err)->exit, 1);
}

void quiet(j_common_ptr) {}

// Plain C state only between setjmp and longjmp: nothing to destroy.
bool readHeader(const unsigned char* data, unsigned long size, JpegSize& out) {
  jpeg_decompress_struct info;
  ProbeError error;
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = abandon;
  error.manager.output_message = quiet;
  if (setjmp(error.exit)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, size);
  const bool ok = jpeg_read_header(&info, TRUE) == JPEG_HEADER_OK;
  if (ok) {
    out.width = static_cast<int>(info.image_width);
    out.height = static_cast<int>(info.image_height);
  }
  jpeg_destroy_decompress(&info);
  return ok;
}

}  // namespace

std::optional<JpegSize> ProbeJpeg(std::string_view bytes, std::int64_t maxPixels) {
  if (bytes.size() < 4) return std::nullopt;
  JpegSize size;
  if (!readHeader(reinterpret_cast<const unsigned char*>(bytes.data()),
                  static_cast<unsigned long>(bytes.size()), size)) {
    return std::nullopt;
  }
  if (size.width <= 0 || size.height <= 0) return std::nullopt;
  if (static_cast<std::int64_t>(size.width) * size.height > maxPixels) return std::nullopt;
  return size;
}

bool HasJpegExtension(std::string_view name) {
  return endsWithNoCase(name, ".jpg") || endsWithNoCase(name, ".jpeg") ||
         endsWithNoCase(name, ".jpe");
}

}  // namespace orvel
