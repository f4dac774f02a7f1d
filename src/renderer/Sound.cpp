#include "Sound.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSoundEffect>
#include <QUrl>

namespace PreviewSound {
namespace {
Handler &handler()
{
    static Handler h;
    return h;
}
} // namespace

void setHandler(Handler h) { handler() = std::move(h); }

void play(const QString &path)
{
    if (handler()) {
        handler()(path);
        return;
    }
    // One effect for the whole program, owned by the application: it keeps
    // playing when the window whose link started it closes.
    static QPointer<QSoundEffect> effect;
    if (!effect)
        effect = new QSoundEffect(QCoreApplication::instance());
    effect->stop();
    effect->setSource(QUrl::fromLocalFile(path));
    effect->play();
}

} // namespace PreviewSound
