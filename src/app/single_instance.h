#pragma once
// The single-instance channel: the first instance listens on a per-user local
// socket; a later start connects to it and passes a news URL or asks it to
// show itself. A socket left by a crashed instance is taken over.

#include <QObject>
#include <QString>

class QLocalServer;

namespace orvel {

class SingleInstance : public QObject {
  Q_OBJECT

 public:
  explicit SingleInstance(QString name = defaultName(), QObject* parent = nullptr);

  // "orvel-" + the user's id: one channel per user.
  static QString defaultName();

  // True when another instance answers on the channel.
  bool otherInstanceRunning() const;
  // Starts listening as the first instance; false when that fails.
  bool listen();

  // Passes a URL (empty: just show) to the running instance; false when none took it.
  bool send(const QString& url) const;

 signals:
  void urlReceived(const QString& url);
  void showRequested();

 private:
  QString name_;
  QLocalServer* server_ = nullptr;
};

}  // namespace orvel
