#pragma once
// TBag: one INI section held in memory with typed access. Seven bags hold the
// often-read sections of "Orvel.ini" and "keys.ini" for the whole run.
//
// Each entry has a value text and an integer shadow: the text read as a
// decimal integer when the whole text is one (and does not start with "$"),
// else 0. In a key bag the shadow is the 16-bit shortcut code and the text is
// empty, or "0" once the shortcut was set to none.

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orvel {

class EBagError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A font as the settings describe it.
struct BagFont {
  enum Style : int { Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8 };
  int style = 0;    // sum of Style bits
  int pitch = 0;    // 0 default, 1 fixed, 2 variable
  int size = 10;    // points
  int height = -13; // pixels; negative for character height
  std::uint32_t color = 0;  // 0x00BBGGRR
  std::string name = "DejaVu Sans";
  int charset = 1;

  bool operator==(const BagFont&) const = default;
};

// Window placement: flags, show (3 maximised, else 1), minimised and
// maximised positions and the normal (restored) rectangle.
struct BagPlacement {
  int flags = 0;
  int show = 1;
  int minX = -1, minY = -1;
  int maxX = -1, maxY = -1;
  int left = 0, top = 0, right = 0, bottom = 0;

  bool operator==(const BagPlacement&) const = default;
};

// Where a window is created: position, size and whether it starts maximised.
struct WindowGeometry {
  int x = 0, y = 0, width = 0, height = 0;
  bool maximised = false;
};

// Shortcut text <-> 16-bit code, given by the key tables. textToCode gives
// nothing for a text that is not a shortcut.
struct ShortcutCodec {
  std::function<std::optional<int>(std::string_view)> textToCode;
  std::function<std::string(int)> codeToText;
};

std::string ColorText(std::uint32_t color);  // "$" + six upper-case hex digits
std::string FontLine(const BagFont& font);
std::string PlacementLine(const BagPlacement& placement);

class TBag {
 public:
  TBag() = default;
  TBag(std::string fileName, std::string section)
      : fileName_(std::move(fileName)), section_(std::move(section)) {}

  const std::string& fileName() const { return fileName_; }
  const std::string& section() const { return section_; }
  void setFileName(std::string f) { fileName_ = std::move(f); }
  void setSection(std::string s) { section_ = std::move(s); }
  void setShortcutCodec(ShortcutCodec codec) { codec_ = std::move(codec); }

  int count() const { return static_cast<int>(names_.size()); }
  const std::vector<std::string>& names() const { return names_; }

  void LoadFromIni(bool isKeys);
  void SaveToIni(bool eraseSection, bool isKeys) const;

  std::string GetString(std::string_view name, std::string_view fallback) const;
  void SetString(std::string_view name, std::string_view text);
  int GetInteger(std::string_view name, int fallback) const;
  int GetNumber(std::string_view name, int fallback) const;
  bool GetBool(std::string_view name, bool fallback) const;
  void SetBool(std::string_view name, bool flag);
  void SetColor(std::string_view name, std::uint32_t color);
  const BagFont& GetFont(std::string_view name, const BagFont& base);
  void SetFont(std::string_view name, const BagFont& font);
  void SetKey(std::string_view name, int code);
  // The shortcut code of a key entry, nothing when absent.
  std::optional<int> GetKey(std::string_view name) const;
  bool Has(std::string_view name) const;

  // Applies a stored placement to geometry; false (geometry unchanged) when
  // fewer than ten integers are stored.
  bool GetPlacement(std::string_view name, bool allowMaximised, WindowGeometry& geometry) const;
  void SetPlacement(std::string_view name, const BagPlacement& placement, bool forceMaximised);

 private:
  struct Value {
    std::string text;
    int shadow = 0;
  };

  long find(std::string_view name) const;
  void checkName(std::string_view name) const;
  void checkFile() const;

  std::vector<std::string> names_;
  std::vector<Value> values_;
  std::string fileName_;
  std::string section_;
  BagFont font_;
  ShortcutCodec codec_;
};

}  // namespace orvel
