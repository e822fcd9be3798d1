#pragma once

// One app per user: the first launch listens on a per-user local socket; a
// later launch hands its files to it and exits, so that two processes never
// autosave the same free icon over each other. A socket left by a crashed app
// answers nobody and is replaced.

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

namespace glyphsmith_views {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // The socket in the user's runtime folder, named after the app id.
    static QString defaultSocketPath();

    explicit SingleInstance(QString socketPath = defaultSocketPath(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // Gives the absolute paths to the running app; true once it has taken them.
    // False when no app listens (none runs, or its socket is stale).
    bool handOver(const QStringList& paths, int timeoutMilliseconds = 3000);
    // Becomes the app that others hand their files to, replacing a stale socket.
    bool listen();
    bool isListening() const;
    const QString& socketPath() const { return socketPath_; }

signals:
    // Files handed over by a later launch (possibly none: it only asks to be shown).
    void filesReceived(const QStringList& paths);

private:
    void accept();

    QString socketPath_;
    QLocalServer* server_ = nullptr;
};

}  // namespace glyphsmith_views
