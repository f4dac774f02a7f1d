#pragma once
// Drives the next modal dialog a command opens: once it is on screen, the
// given function inspects it and closes it.
#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>

namespace TextCommandsTesting {

template <typename Dialog>
void whenModal(std::function<void(Dialog *)> handle)
{
    // Owned by the application, so that a dialog that never comes does not
    // leave the timer behind.
    auto *timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, handle] {
        auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        timer->stop();
        timer->deleteLater();
        handle(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    timer->start();
}

} // namespace TextCommandsTesting
