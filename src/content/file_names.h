#pragma once
// File names of decoded files: the program's cleaning and collision rules,
// the extension lists, and the guard that keeps every decoded file inside
// its output directory whatever name an article gives.

#include <string>
#include <string_view>

namespace orvel {

// Names whose files are shown as text too (content class text).
inline constexpr std::string_view kTextExtensions = ".TXT|.NFO|.CSV|.IDX|.SFV|.VCF|.HTML|.HTM";

// Files that are never opened without asking: what Windows would run, and
// what a Linux desktop would run or install.
inline constexpr std::string_view kDangerousExtensions =
    ".EXE|.COM|.BAT|.DOC|.DOT|.PPT|.XLS|.HTM|.HTML|.VBS|.JS"
    "|.DESKTOP|.SH|.BASH|.CSH|.PY|.PL|.RB|.RUN|.BIN|.APPIMAGE|.JAR|.DEB|.RPM|.SNAP|.FLATPAKREF";

// Each of " * / : < > ? \ | becomes "-".
std::string CleanFileName(std::string_view name);

// The path itself when nothing exists there (a dangling link counts as
// existing), else the first free base + "_" + n + extension, n = 0, 1, ...
std::string UniqueFileName(std::string_view path);

// The name's extension (from its last ".") upper-cased, searched as a
// substring of the upper-cased list, so ".HTM" also finds ".HTML". A name
// without extension is in no list.
bool ExtensionInList(std::string_view name, std::string_view list);

// The last path component of a name (after "/" or "\"), made safe to create
// inside a directory: control characters become "-", ".", ".." and empty names
// give an empty result (the caller then builds an "untitled" name), and a name
// longer than kMaxDecodedNameBytes is cut before its extension on a UTF-8
// character boundary.
inline constexpr std::size_t kMaxDecodedNameBytes = 200;
std::string SafeOutputName(std::string_view name);

// Directory text with exactly one trailing "/" (empty stays empty).
std::string WithTrailingSlash(std::string_view directory);

}  // namespace orvel
