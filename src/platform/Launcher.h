#pragma once
// Starting other programs: the browser, the media player, files and URLs.
// Programs are started with argument lists, never through a shell. Every
// launch is recorded so that tests can check what would have been started.
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

namespace Platform {

struct LaunchRecord {
    QString program;     // empty for a URL handed to the desktop
    QStringList arguments;
    QString workingDirectory;
    QUrl url;
};

// Opens a URL (file or web) with the desktop's default application.
bool openUrl(const QUrl &url);
// Starts a program detached with the given arguments.
bool startProgram(const QString &program, const QStringList &arguments,
                  const QString &workingDirectory = QString());
// Opens a media file (sound, video) in the desktop's player.
bool openMedia(const QString &path);

// Tests: when a handler is set, nothing is started; the handler answers.
using LaunchHandler = std::function<bool(const LaunchRecord &)>;
void setLaunchHandler(LaunchHandler handler);

} // namespace Platform
