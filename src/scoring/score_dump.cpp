#include "scoring/score_dump.h"

#include "core/atomic_file.h"

namespace orvel {

std::string DumpScores(const ScoreSectionList& sections) {
  std::string out;
  auto flag = [](bool b) { return b ? "1" : "0"; };
  for (std::size_t s = 0; s < sections.size(); ++s) {
    const TScoreSection& section = *sections[s];
    out += "Section " + std::to_string(s) + "\n";
    out += "group = " + section.pattern + "; invert = " + flag(section.invert) +
           "; regroup = " + section.groupRegex.Pattern() + "\n";
    for (std::size_t r = 0; r < section.rules.size(); ++r) {
      const TScoreTest& rule = section.rules[r];
      out += "Test " + std::to_string(r) + "\n";
      out += "score = " + std::to_string(rule.score) +
             "; flags = " + std::to_string(rule.flags) + "\n";
      for (std::size_t f = 0; f < rule.fields.size(); ++f) {
        const TScoreField& field = rule.fields[f];
        out += "Field " + std::to_string(f) + "\n";
        out += "keytype = " + std::to_string(static_cast<int>(field.keyType)) +
               "; invert = " + flag(field.invert);
        if (field.regex) out += "; reval = " + field.regex->Pattern();
        out += "; ival = " + std::to_string(field.number) + "\n";
      }
    }
    out += "---\n";
  }
  return out;
}

bool WriteScoreDump(const ScoreSectionList& sections, const std::string& dir,
                    std::string* error) {
  return SaveFileAtomically(dir + kScoreDumpName, DumpScores(sections), error);
}

}  // namespace orvel
