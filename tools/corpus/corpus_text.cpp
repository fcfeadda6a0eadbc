#include "corpus_text.h"

#include <array>
#include <string_view>

namespace orvel::corpus {

namespace {

constexpr std::array<std::string_view, 48> kFirst = {
    "Alice", "Bruno",  "Chloe",   "David", "Emma",   "Felix", "Greta",  "Hugo",
    "Ines",  "Jonas",  "Karin",   "Louis", "Marta",  "Nils",  "Olga",   "Pierre",
    "Quinn", "Rosa",   "Samuel",  "Tina",  "Ugo",    "Vera",  "Walter", "Xenia",
    "Yann",  "Zoe",    "Anton",   "Berit", "Carlos", "Dana",  "Erik",   "Fanny",
    "Gilles","Helga",  "Ivan",    "Julie", "Kurt",   "Lena",  "Marc",   "Nora",
    "Oscar", "Paula",  "Rene",    "Sofia", "Theo",   "Ulla",  "Victor", "Wanda"};
constexpr std::array<std::string_view, 40> kLast = {
    "Martin", "Bernard", "Dubois",  "Moreau",  "Laurent", "Simon",   "Michel",  "Lefebvre",
    "Leroy",  "Roux",    "Fournier","Girard",  "Bonnet",  "Dupont",  "Lambert", "Fontaine",
    "Rousseau","Vincent","Muller",  "Schmidt", "Schneider","Fischer","Weber",   "Meyer",
    "Wagner", "Becker",  "Schulz",  "Hoffmann","Smith",   "Jones",   "Taylor",  "Brown",
    "Wilson", "Evans",   "Thomas",  "Roberts", "Nilsson", "Larsen",  "Novak",   "Kowalski"};
constexpr std::array<std::string_view, 12> kDomains = {
    "example.com", "mail.example.org", "news.example.net", "isp.example",
    "uni.example.edu", "home.example.fr", "t-online.example", "web.example.de",
    "freenet.example", "post.example.ch", "inter.example.be", "gmx.example"};
constexpr std::array<std::string_view, 96> kWords = {
    "about",    "access",   "adapter", "advice",  "amplifier", "archive",  "audio",    "backup",
    "battery",  "board",    "boot",    "broken",  "buffer",    "build",    "cable",    "camera",
    "card",     "change",   "cheap",   "classic", "compiler",  "config",   "console",  "crash",
    "debian",   "decoder",  "disk",    "driver",  "error",     "fast",     "file",     "firmware",
    "format",   "found",    "garden",  "guitar",  "help",      "history",  "image",    "install",
    "kernel",   "keyboard", "laptop",  "latest",  "library",   "linux",    "memory",   "mirror",
    "missing",  "modem",    "monitor", "network", "new",       "noise",    "offline",  "old",
    "patch",    "photo",    "power",   "printer", "problem",   "question", "quick",    "radio",
    "release",  "repair",   "router",  "sale",    "scanner",   "server",   "setup",    "slow",
    "sound",    "speaker",  "still",   "strange", "support",   "system",   "test",     "theory",
    "timing",   "tool",     "trouble", "tuner",   "update",    "upgrade",  "usb",      "video",
    "vintage",  "voltage",  "wanted",  "weekend", "wiring",    "wireless", "working",  "zip"};
constexpr std::array<std::string_view, 8> kAccented = {
    "café", "crème", "naïve", "Zürich", "été", "Übung", "señor", "Ærø"};
constexpr std::array<std::string_view, 16> kGroups = {
    "alt.test",          "misc.test",        "comp.misc",        "comp.os.linux.misc",
    "alt.binaries.misc", "de.test",          "fr.test",          "rec.audio.tech",
    "sci.electronics",   "alt.folklore.computers", "comp.lang.c++", "rec.photo.digital",
    "alt.binaries.pictures", "news.software.readers", "uk.test", "ch.test"};

std::string_view firstName(std::uint32_t a) { return kFirst[a % kFirst.size()]; }
std::string_view lastName(std::uint32_t a) { return kLast[(a / kFirst.size()) % kLast.size()]; }

std::string hexByte(unsigned char c) {
  static const char* digits = "0123456789ABCDEF";
  return {'=', digits[c >> 4], digits[c & 15]};
}

std::string qEncode(std::string_view text) {
  std::string out = "=?UTF-8?Q?";
  for (unsigned char c : text) {
    if (c == ' ') {
      out += '_';
    } else if (c >= 0x80 || c == '=' || c == '?' || c == '_') {
      out += hexByte(c);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "?=";
}

std::string bEncode(std::string_view text) {
  static const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out = "=?UTF-8?B?";
  std::size_t i = 0;
  for (; i + 2 < text.size(); i += 3) {
    const unsigned v = (static_cast<unsigned char>(text[i]) << 16) |
                       (static_cast<unsigned char>(text[i + 1]) << 8) |
                       static_cast<unsigned char>(text[i + 2]);
    for (int k = 18; k >= 0; k -= 6) out += alphabet[(v >> k) & 63];
  }
  if (i < text.size()) {
    unsigned v = static_cast<unsigned char>(text[i]) << 16;
    if (i + 1 < text.size()) v |= static_cast<unsigned char>(text[i + 1]) << 8;
    out += alphabet[(v >> 18) & 63];
    out += alphabet[(v >> 12) & 63];
    out += i + 1 < text.size() ? alphabet[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out + "?=";
}

}  // namespace

std::uint64_t Mix(std::uint64_t a, std::uint64_t b) {
  Random r(a * 0x100000001B3ull ^ b);
  return r.next();
}

std::uint64_t HashText(const std::string& text) {
  std::uint64_t h = 0xCBF29CE484222325ull;
  for (unsigned char c : text) h = (h ^ c) * 0x100000001B3ull;
  return h;
}

std::string AuthorDomain(std::uint32_t author) {
  return std::string(kDomains[(author * 7 + 3) % kDomains.size()]);
}

int AuthorZone(std::uint32_t author) {
  static constexpr int kZones[] = {0, 100, 200, -500, -800, 530, 100, 0, -300, 900, 100, -930};
  return kZones[author % (sizeof kZones / sizeof kZones[0])];
}

std::string AuthorFrom(std::uint32_t author) {
  const std::string first(firstName(author));
  const std::string last(lastName(author));
  std::string address = first + "." + last;
  for (char& c : address) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  if (author >= kFirst.size() * kLast.size()) address += std::to_string(author);
  address += "@" + AuthorDomain(author);
  switch (author % 20) {
    case 0:
    case 1:
      return address + " (" + first + " " + last + ")";
    case 2:
      return "\"" + last + ", " + first + "\" <" + address + ">";
    case 3:
      return address;
    case 4:
      return qEncode(first + " Müller") + " <" + address + ">";
    default:
      return first + " " + last + " <" + address + ">";
  }
}

std::string Subject(Random& random, bool encoded) {
  const std::uint32_t count = 3 + random.below(5);
  std::string s;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (i) s += ' ';
    std::string word(kWords[random.below(kWords.size())]);
    if (i == 0) word[0] = static_cast<char>(word[0] - 32);
    s += word;
  }
  if (encoded) {
    const std::string accented = std::string(kAccented[random.below(kAccented.size())]) + " " +
                                 std::string(kWords[random.below(kWords.size())]);
    s += ' ';
    s += random.chance(0.5) ? qEncode(accented) : bEncode(accented);
  }
  return s;
}

std::string FileName(Random& random) {
  std::string name(kWords[random.below(kWords.size())]);
  name += '_';
  name += kWords[random.below(kWords.size())];
  name += '_' + std::to_string(random.below(1000));
  static constexpr std::string_view kExtensions[] = {".rar", ".jpg", ".zip", ".mp3", ".iso", ".par2"};
  name += kExtensions[random.below(6)];
  return name;
}

std::string TextLine(Random& random, std::size_t length) {
  std::string line;
  while (line.size() < length) {
    if (!line.empty()) line += ' ';
    line += kWords[random.below(kWords.size())];
  }
  return line;
}

std::string OtherGroup(std::uint32_t index) { return std::string(kGroups[index % kGroups.size()]); }

}  // namespace orvel::corpus
