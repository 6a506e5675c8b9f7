// gzip through zlib, with a bound on what it may expand to: a small file must not become
// gigabytes in memory.
#include <zlib.h>

#include <algorithm>
#include <string>

#include "interop/import_formats.h"

namespace {

constexpr int kGzipWindowBits = 15 + 16;  // the largest window, gzip wrapper only
constexpr std::size_t kChunk = 64 * 1024;

bool IsGzipStart(std::string_view bytes) {
  return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0x1F &&
         static_cast<unsigned char>(bytes[1]) == 0x8B;
}

struct Inflater {
  z_stream stream{};
  bool open = false;
  ~Inflater() {
    if (open) inflateEnd(&stream);
  }
};

// Why inflate stopped with `status`, in words.
std::string InflateFailure(const z_stream& stream, int status) {
  if (status == Z_BUF_ERROR && stream.avail_in == 0) {
    return "the gzip data ends early: the file is cut short";
  }
  return std::string("the gzip data is damaged (") +
         (stream.msg != nullptr ? stream.msg : "zlib error") + ")";
}

}  // namespace

bool InflateGzip(std::string_view bytes, std::size_t limit, std::string* out, std::string* error,
                 bool* too_large) {
  *too_large = false;
  out->clear();
  Inflater inflater;
  if (inflateInit2(&inflater.stream, kGzipWindowBits) != Z_OK) {
    *error = "zlib could not start";
    return false;
  }
  inflater.open = true;
  z_stream& stream = inflater.stream;
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  stream.avail_in = static_cast<uInt>(bytes.size());  // at most kMaxImportBytes
  for (;;) {
    const std::size_t filled = out->size();
    if (filled >= limit + 1) {
      *too_large = true;
      return false;
    }
    out->resize(filled + std::min(kChunk, limit + 1 - filled));
    stream.next_out = reinterpret_cast<Bytef*>(out->data() + filled);
    stream.avail_out = static_cast<uInt>(out->size() - filled);
    const int status = inflate(&stream, Z_NO_FLUSH);
    out->resize(out->size() - stream.avail_out);
    if (status == Z_STREAM_END) {
      // Another member may follow (gzip allows several); anything else after the end is
      // ignored, as gzip itself does with trailing zeros.
      const std::string_view rest(reinterpret_cast<const char*>(stream.next_in), stream.avail_in);
      if (!IsGzipStart(rest)) break;
      inflateReset(&stream);
      continue;
    }
    if (status == Z_OK) continue;
    *error = InflateFailure(stream, status);
    return false;
  }
  if (out->size() > limit) {
    *too_large = true;
    return false;
  }
  return true;
}
