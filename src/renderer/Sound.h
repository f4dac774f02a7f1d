#pragma once
// Sounds clicked in the preview: played asynchronously, the call returns at
// once and the sound plays on. A new sound replaces the one playing.
#include <QString>
#include <functional>

namespace PreviewSound {

void play(const QString &path);

// Tests: when a handler is set nothing is played; the handler gets the path.
using Handler = std::function<void(const QString &path)>;
void setHandler(Handler handler);

} // namespace PreviewSound
