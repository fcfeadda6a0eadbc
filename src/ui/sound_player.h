#pragma once
// The score rules' sounds: one QSoundEffect per sound file, made at its
// first play and kept for the next ones, so a rule that matches thousands of
// articles does not make thousands of effects. Effects of different files
// play at once; playing never waits for the sound. Without an audio device
// (or with a file Qt cannot read) the effect just stays silent.

#include <QString>

#include <cstddef>
#include <map>
#include <memory>
#include <string>

#include "scoring/score_eval.h"

class QSoundEffect;

namespace orvel::ui {

class QtSoundPlayer final : public SoundPlayer {
 public:
  QtSoundPlayer();
  ~QtSoundPlayer() override;

  void Play(const std::string& path) override;

  // The effects made so far (one per file played).
  std::size_t effectCount() const { return effects_.size(); }
  // The effect of a file played before, or null.
  const QSoundEffect* effect(const std::string& path) const;

 private:
  std::map<std::string, std::unique_ptr<QSoundEffect>> effects_;
};

}  // namespace orvel::ui
