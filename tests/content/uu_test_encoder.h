#pragma once
// A small uuencoder for building test articles and benchmark input.

#include <algorithm>
#include <string>
#include <string_view>

namespace orvel::test {

// The data lines of a uuencoded file: "M" lines of 45 bytes, "`" for 0.
inline std::string UULines(std::string_view data) {
  auto enc = [](int v) { return static_cast<char>(v == 0 ? '`' : v + 32); };
  std::string out;
  for (std::size_t i = 0; i < data.size(); i += 45) {
    const std::size_t n = std::min<std::size_t>(45, data.size() - i);
    out += enc(static_cast<int>(n));
    for (std::size_t k = 0; k < n; k += 3) {
      unsigned char b[3] = {0, 0, 0};
      for (std::size_t j = 0; j < 3 && k + j < n; ++j) {
        b[j] = static_cast<unsigned char>(data[i + k + j]);
      }
      out += enc(b[0] >> 2);
      out += enc((b[0] & 3) << 4 | b[1] >> 4);
      out += enc((b[1] & 15) << 2 | b[2] >> 6);
      out += enc(b[2] & 63);
    }
    out += "\r\n";
  }
  return out;
}

// Part k of n of a uuencoded post over data, cut at line boundaries: the
// begin line in part 1, the end in part n, "NAME (k/n)" as the subject.
inline std::string UUArticle(std::string_view name, std::string_view data, int k, int n) {
  const std::size_t lines = (data.size() + 44) / 45;
  const std::size_t per = (lines + static_cast<std::size_t>(n) - 1) / static_cast<std::size_t>(n);
  const std::size_t from = std::min(data.size(), per * 45 * static_cast<std::size_t>(k - 1));
  const std::size_t to = std::min(data.size(), per * 45 * static_cast<std::size_t>(k));
  std::string text = "Subject: " + std::string(name) + " (" + std::to_string(k) + "/" +
                     std::to_string(n) + ")\r\n\r\n";
  if (k == 1) text += "begin 644 " + std::string(name) + "\r\n";
  text += UULines(data.substr(from, to - from));
  if (k == n) text += "`\r\nend\r\n";
  return text;
}

}  // namespace orvel::test
