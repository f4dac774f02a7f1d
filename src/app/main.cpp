#include "app/AboutBox.h"
#include "app/BatchMode.h"
#include "app/Main.h"
#include "page/PageFile.h"
#include "page/SafeSave.h"
#include "platform/CaptionFit.h"
#include "renderer/HtmlView.h"

#include <QApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QPointer>
#include <QScreen>
#include <QTextStream>
#include <QTimer>
#include <QSocketNotifier>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <functional>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// The signal handler's only work: a byte down this pair, read by the event loop.
int stopSignals[2] = {-1, -1};

void onStopSignal(int signal)
{
    const char number = char(signal);
    [[maybe_unused]] const ssize_t written = ::write(stopSignals[1], &number, 1);
}

// Told to stop (the system shutting down, a "kill", Ctrl+C in a terminal),
// the program has no one to answer "save the changes?": the pages not saved
// are copied, as the clock copies them, and the program ends at once, its
// lock left behind. The next start offers the copies, as after a crash.
void copyPagesWhenStopped(TMainForm &frame)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, stopSignals) != 0)
        return;
    auto *notifier = new QSocketNotifier(stopSignals[0], QSocketNotifier::Read, &frame);
    QObject::connect(notifier, &QSocketNotifier::activated, &frame, [&frame] {
        char number = 0;
        [[maybe_unused]] const ssize_t read = ::read(stopSignals[0], &number, 1);
        frame.saveRecoveryCopies();
        std::_Exit(128 + number);
    });
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(signal, &action, nullptr);
}

// Runs `then` once, from the event loop, after the widget's window is first
// exposed (once it has been drawn), or after `wait` ms for a window the
// system never shows. Kept by the widget, not by its native window, which
// the toolkit may make again.
class AfterFirstExposure : public QObject
{
public:
    AfterFirstExposure(QWidget *widget, int wait, std::function<void()> then)
        : QObject(widget), m_then(std::move(then))
    {
        QWindow *window = widget->windowHandle();
        if (window)
            window->installEventFilter(this);
        QTimer::singleShot(window && window->isExposed() ? 0 : wait, this, &AfterFirstExposure::fire);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && static_cast<QWindow *>(watched)->isExposed())
            QTimer::singleShot(0, this, &AfterFirstExposure::fire);
        return false;
    }

private:
    void fire()
    {
        if (!m_then)
            return;
        const std::function<void()> then = std::move(m_then);
        m_then = nullptr;
        deleteLater();
        then();
    }
    std::function<void()> m_then;
};
} // namespace

int main(int argc, char **argv)
{
    // File names are taken byte for byte: one that is not UTF-8 is still
    // opened and saved under its own name.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << SafeSave::fromNativePath(QByteArray(argv[i]));
    // Batch work opens no window and needs no display.
    if (BatchMode::requested(arguments)) {
        QCoreApplication batch(argc, argv);
        QTextStream out(stdout);
        QTextStream err(stderr);
        return BatchMode::run(arguments, out, err);
    }

    // The pages named are read while the windows are made: on a big page,
    // reading and decoding take as long as the start itself.
    constexpr int ReadAhead = 4;
    int readAhead = 0;
    for (const QString &argument : std::as_const(arguments)) {
        if (readAhead < ReadAhead && !argument.startsWith(u'-')) {
            PageFile::readAhead(argument);
            ++readAhead;
        }
    }

    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pemo HTML"));
    QApplication::setOrganizationName(QStringLiteral("Pemo"));
    // No display name: Qt would append it to every window's caption, and the
    // dialogs' own captions would be cut short by the name of the program.
    QApplication::setDesktopFileName(QStringLiteral("pemohtml"));

    CaptionFit::install(&app);

    // The platform's own dialogs (file, colour, font, print) speak French too.
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    QTranslator qtFrench;
    if (qtFrench.load(QLocale(QLocale::French), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtFrench);

    // The splash is painted before anything else is created.
    QPointer<TSplash> splash = new TSplash;
    splash->show();
    splash->repaint();
    app.processEvents();

    TMainForm frame;
    copyPagesWhenStopped(frame);
    // Freed as soon as the frame is on screen. The first show happens before
    // the event loop runs, inside the frame's show event; a deleteLater() posted
    // from there would wait for an event loop level that never comes, so the
    // splash is deleted from a queued call instead.
    QObject::connect(
        &frame, &TMainForm::firstShown, &frame, [splash] { delete splash.data(); },
        Qt::QueuedConnection);
    // Maximised; without a window manager to honour that, fill the screen.
    if (QScreen *screen = QGuiApplication::primaryScreen())
        frame.setGeometry(screen->availableGeometry());

    // The toolkit has taken its own options out of argv by now.
    QStringList files;
    for (int i = 1; i < argc; ++i)
        files << SafeSave::fromNativePath(QByteArray(argv[i]));
    // Made ready for a preview unless every page it opens is too big to be
    // previewed at once: drawn through OpenGL, a window costs memory and
    // time at every paint where the window system draws OpenGL in software.
    if (files.isEmpty() || std::any_of(files.cbegin(), files.cend(), [](const QString &file) {
            return QFileInfo(file).size() <= THtmlView::onDemandLimit;
        }))
        THtmlView::prepareWindow(&frame);
    frame.showMaximized();
    // The pages open in a frame already drawn: a big one then shows its
    // first screen while the rest of it is read in, rather than an empty
    // window for seconds.
    new AfterFirstExposure(&frame, 500, [&frame, files] {
        // Pages a stopped program could not save come first.
        frame.offerRecovery();
        if (!files.isEmpty())
            frame.openFiles(files);
        PageFile::forgetReadAheads();
    });
    return app.exec();
}
