#include "Launcher.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>

namespace Platform {
namespace {
LaunchHandler &handler()
{
    static LaunchHandler h;
    return h;
}
} // namespace

void setLaunchHandler(LaunchHandler h) { handler() = std::move(h); }

bool openUrl(const QUrl &url)
{
    if (handler())
        return handler()({QString(), {}, QString(), url});
    return QDesktopServices::openUrl(url);
}

bool startProgram(const QString &program, const QStringList &arguments,
                  const QString &workingDirectory)
{
    if (handler())
        return handler()({program, arguments, workingDirectory, QUrl()});
    return QProcess::startDetached(program, arguments, workingDirectory);
}

bool openMedia(const QString &path)
{
    // The desktop's opener picks the user's media player for the file type.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!opener.isEmpty() || handler())
        return startProgram(opener.isEmpty() ? QStringLiteral("xdg-open") : opener, {path});
    return openUrl(QUrl::fromLocalFile(path));
}

} // namespace Platform
