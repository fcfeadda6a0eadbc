// Decoding speed: the yEnc, uu and base64 line decoders alone, and whole
// articles through TMime into a file (line splitting, state machine, CRC-32
// and the buffered output included). Bytes counted are decoded bytes.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../tests/content/uu_test_encoder.h"
#include "../tests/content/yenc_test_encoder.h"
#include "content/base64_lines.h"
#include "content/crc32.h"
#include "content/mime.h"
#include "content/pending_crc.h"
#include "content/uu_lines.h"
#include "content/yenc_decoders.h"
#include "content/yenc_lines.h"

namespace {

constexpr std::size_t kDataSize = 750 * 1000;  // one usual yEnc article

std::string randomBytes(std::size_t size) {
  std::string bytes(size, '\0');
  unsigned state = 12345;
  for (char& c : bytes) {
    state = state * 1103515245u + 12345u;
    c = static_cast<char>(state >> 16);
  }
  return bytes;
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::string base64Text(const std::string& data) {
  static const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < data.size(); i += 3) {
    unsigned v = static_cast<unsigned char>(data[i]) << 16;
    if (i + 1 < data.size()) v |= static_cast<unsigned char>(data[i + 1]) << 8;
    if (i + 2 < data.size()) v |= static_cast<unsigned char>(data[i + 2]);
    out += alphabet[v >> 18 & 63];
    out += alphabet[v >> 12 & 63];
    out += i + 1 < data.size() ? alphabet[v >> 6 & 63] : '=';
    out += i + 2 < data.size() ? alphabet[v & 63] : '=';
    if ((i / 3 + 1) % 19 == 0) out += "\r\n";
  }
  return out + "\r\n";
}

// The lines decoded one after the other into one output, as into a file
// buffer; crc 0 without CRC, 1 with a CRC call per line, 2 with the CRC
// folded over large spans (PendingCrc, as the parser does): crc:2 is the
// decode + CRC figure.
void BM_YEncLine(benchmark::State& state) {
  const auto lines = splitLines(orvel::test::YEncLines(randomBytes(kDataSize)));
  std::string out(2 * kDataSize, '\0');
  const auto crcKind = state.range(0);
  for (auto _ : state) {
    std::uint32_t lineCrc = 0;
    orvel::PendingCrc pending;
    char* o = out.data();
    for (const std::string& line : lines) {
      const auto r = orvel::DecodeYEncBytes(line, o);
      if (crcKind == 1) lineCrc = orvel::Crc32Update(lineCrc, o, r.size);
      if (crcKind == 2) pending.add(o, r.size);
      o += r.size;
    }
    benchmark::DoNotOptimize(lineCrc);
    benchmark::DoNotOptimize(pending.value());
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kDataSize));
}
BENCHMARK(BM_YEncLine)->Arg(0)->Arg(1)->Arg(2)->ArgName("crc");

// Each decoder the processor runs, on the same lines without CRC.
void BM_YEncLineDecoder(benchmark::State& state, orvel::detail::YEncLineDecoder decode) {
  const auto lines = splitLines(orvel::test::YEncLines(randomBytes(kDataSize)));
  std::string out(256, '\0');
  for (auto _ : state) {
    for (const std::string& line : lines) decode(line, out.data());
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kDataSize));
}
const bool yencDecodersRegistered = [] {
  for (const auto& decoder : orvel::detail::YEncDecoders()) {
    benchmark::RegisterBenchmark((std::string("BM_YEncLineDecoder/") + decoder.name).c_str(),
                                 BM_YEncLineDecoder, decoder.decode);
  }
  return true;
}();

void BM_UULine(benchmark::State& state) {
  const auto lines = splitLines(orvel::test::UULines(randomBytes(kDataSize)));
  char out[orvel::kMaxUULineBytes + 3];
  for (auto _ : state) {
    int previous = -1;
    for (const std::string& line : lines) previous = orvel::DecodeUUBytes(line, previous, out);
    benchmark::DoNotOptimize(out);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kDataSize));
}
BENCHMARK(BM_UULine);

void BM_Base64Line(benchmark::State& state) {
  const auto lines = splitLines(base64Text(randomBytes(kDataSize)));
  std::string out(128, '\0');
  for (auto _ : state) {
    for (const std::string& line : lines) orvel::DecodeBase64Bytes(line, out.data());
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kDataSize));
}
BENCHMARK(BM_Base64Line);

// A fresh directory for the files a benchmark writes; empty on failure.
std::string scratchDir() {
  std::string dir = (std::filesystem::temp_directory_path() / "orvel-bench-XXXXXX").string();
  return ::mkdtemp(dir.data()) == nullptr ? std::string() : dir;
}

void parseArticle(orvel::TMime& mime, std::string_view article, std::string& line) {
  mime.ResetArticle();
  std::size_t pos = 0;
  bool last = false;
  while (!last) {
    mime.ParseYEncDataLines(article, pos);  // as a decode batch takes stored text
    mime.ParseLine(article, pos, line, nullptr, orvel::LineSource::Text, orvel::ParseDepth::Full,
                   last);
  }
}

// Whole articles through TMime into a file in a scratch directory (output
// mode 1, as a decode batch runs it), or with range 0 decoding without
// writing (output mode 0: the parser and decoders alone, CRC included).
void runArticle(benchmark::State& state, const std::string& article) {
  const std::string dir = scratchDir();
  if (dir.empty()) {
    state.SkipWithError("no scratch directory");
    return;
  }
  orvel::TMime mime(false);
  mime.setOutputMode(state.range(0) ? orvel::OutputMode::File : orvel::OutputMode::None);
  mime.setOutputDirectory(dir);
  mime.setCollisionOption(0);
  std::string line;
  for (auto _ : state) {
    mime.clearMultipartContinuation();
    parseArticle(mime, article, line);
    mime.DropOutput();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kDataSize));
  std::filesystem::remove_all(dir);
}

void BM_TMimeYEncArticle(benchmark::State& state) {
  runArticle(state, orvel::test::YEncArticle("b.bin", randomBytes(kDataSize), 0, 0));
}
BENCHMARK(BM_TMimeYEncArticle)->Arg(0)->Arg(1)->ArgName("file");

// A file of three parts, each an article of kDataSize bytes, fed in part
// order to one parser writing into a file: a part's bytes go where its
// "=ypart" line puts them.
void BM_TMimeYEncParts(benchmark::State& state) {
  const std::string dir = scratchDir();
  if (dir.empty()) {
    state.SkipWithError("no scratch directory");
    return;
  }
  const std::string data = randomBytes(3 * kDataSize);
  std::vector<std::string> articles;
  for (int k = 1; k <= 3; ++k) articles.push_back(orvel::test::YEncArticle("p.bin", data, k, 3));
  orvel::TMime mime(false);
  mime.setOutputMode(orvel::OutputMode::File);
  mime.setOutputDirectory(dir);
  mime.setCollisionOption(0);
  std::string line;
  for (auto _ : state) {
    for (const std::string& article : articles) parseArticle(mime, article, line);
    mime.DropOutput();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_TMimeYEncParts);

void BM_TMimeUUArticle(benchmark::State& state) {
  runArticle(state, "Subject: b\r\n\r\nbegin 644 b.bin\r\n" + orvel::test::UULines(randomBytes(kDataSize)) +
                        "`\r\nend\r\n");
}
BENCHMARK(BM_TMimeUUArticle)->Arg(0)->Arg(1)->ArgName("file");

void BM_TMimeBase64Article(benchmark::State& state) {
  runArticle(state, "Content-Type: application/octet-stream; name=b.bin\r\n"
                    "Content-Transfer-Encoding: base64\r\n\r\n" +
                        base64Text(randomBytes(kDataSize)));
}
BENCHMARK(BM_TMimeBase64Article)->Arg(0)->Arg(1)->ArgName("file");

}  // namespace
