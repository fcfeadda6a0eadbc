#include "ui/sound_player.h"

#include <QSoundEffect>
#include <QUrl>

#include "ui/qt_convert.h"

namespace orvel::ui {

QtSoundPlayer::QtSoundPlayer() = default;
QtSoundPlayer::~QtSoundPlayer() = default;

void QtSoundPlayer::Play(const std::string& path) {
  std::unique_ptr<QSoundEffect>& effect = effects_[path];
  if (!effect) {
    effect = std::make_unique<QSoundEffect>();
    effect->setSource(QUrl::fromLocalFile(qs(path)));
  }
  // Loading is asynchronous: the effect starts once its sample is read.
  effect->play();
}

const QSoundEffect* QtSoundPlayer::effect(const std::string& path) const {
  const auto it = effects_.find(path);
  return it == effects_.end() ? nullptr : it->second.get();
}

}  // namespace orvel::ui
