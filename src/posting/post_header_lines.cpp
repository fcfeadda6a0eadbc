#include "posting/post_header_lines.h"

#include <cmath>

#include "core/text.h"

namespace orvel {

namespace {

constexpr std::size_t kLineLimit = 998;

int digits(int n) { return static_cast<int>(std::to_string(n).size()); }

}  // namespace

std::string PartCounter(int part, int total) {
  if (total <= 0) return {};
  return format(" (%.*d/%d)", digits(total), part, total);
}

std::string FileLabel(int number, int count) {
  return format(" - File %.*d of %d", digits(count), number, count);
}

std::string TogetherSubjectLine(std::string_view subject, int fileCount, bool showFileCount,
                                int part, int total) {
  std::string line = "Subject: ";
  line += subject;
  if (showFileCount) line += format(" - %d attachment%s", fileCount, fileCount > 1 ? "s" : "");
  return line + PartCounter(part, total);
}

std::string FileSubjectLine(std::string_view subject, std::string_view label,
                            std::string_view fileName, std::uint64_t size, bool yEnc, int part,
                            int total) {
  std::string line = "Subject: ";
  line.append(subject).append(label);
  if (yEnc) {
    line.append(" - yEnc \"").append(fileName).append("\" ");
    line += format("%llu bytes ", static_cast<unsigned long long>(size));
  } else {
    line.append(" - ").append(fileName);
  }
  return line + PartCounter(part, total);
}

std::vector<std::string> FoldGroupsLine(std::string_view line) {
  if (line.size() < kLineLimit) return {std::string(line)};
  std::vector<std::string> lines(1);
  while (!line.empty()) {
    const std::size_t comma = line.find(',');
    const std::string_view item = line.substr(0, comma == std::string_view::npos ? line.size() : comma + 1);
    line.remove_prefix(item.size());
    std::string& current = lines.back();
    const bool fresh = current.empty() || current == "\t";
    if (!fresh && current.size() + item.size() >= kLineLimit) lines.emplace_back("\t");
    lines.back() += item;
  }
  return lines;
}

std::string MakeMessageId(DateTime now, unsigned random, const std::string& idToken,
                          const std::string& host) {
  const double days = std::floor(now);
  const auto fraction = static_cast<unsigned long long>(std::llround((now - days) * 1000000.0));
  return format("<OvF%llX%llX%X%s@%s>", static_cast<unsigned long long>(days), fraction, random,
                idToken.c_str(), host.c_str());
}

std::string MakeMimeBoundary(DateTime now, unsigned random1, unsigned random2) {
  return format("==_=_====____%.10f%x%x==", now, random1, random2);
}

std::string MakePartialId(DateTime now, unsigned random, std::string_view serverAddress) {
  return format("%.10f%x@", now, random) + std::string(serverAddress);
}

}  // namespace orvel
