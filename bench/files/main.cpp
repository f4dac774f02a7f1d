// Opening, saving and keeping recovery copies of big pages through the
// document window, as the Fichier menu and the frame's clock do.
//
// For generated pages of 1, 5, 20 and 50 MB (French text with accents,
// no-break spaces and euro signs over many short lines), in Windows-1252 and
// in UTF-8, it prints:
//   read     the file read and decoded into lines;
//   open     OpenFile as a whole (read, decode, page load, preview handed
//            the text);
//   shown    from the start of OpenFile until the pane's first screen has
//            been painted;
//   idle     from the start of OpenFile until the event loop has nothing
//            left to do for the window;
//   save     Enregistrer after one edit in the middle of the page;
//   tick     the recovery clock's time on the main thread, after a change
//            and with nothing changed since the last copy.
//
// Usage: bench_files [MB ...]  (default: 1 5 20 50)
#include "colormemo/ColMemo.h"
#include "document/Childwin.h"
#include "document/Recovery.h"
#include "page/PageFile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

namespace {

// Lines of a French page, in Windows-1252 bytes: accents, no-break spaces
// (0xA0), euro signs (0x80), guillemets, tabs and entities.
QByteArray bigPage(qint64 size)
{
    static const char *const bodies[] = {
        "<td class=\"cellule\">Texte d'\xE9t\xE9 num\xE9ro %1 &eacute;</td>",
        "<p>Prix\xA0: %1\xA0\x80 <strong>\xAB\xA0" "cher\xA0\xBB</strong></p>",
        "<a href=\"http://www.exemple.fr/p%1.htm\">Lien</a>\t&nbsp;",
        "<!-- commentaire %1 : \xE9t\xE9 --><b>gras \xE0</b>",
        "<li>Fran\xE7" "ais, na\xEFve, c\x9C" "ur, o\xF9 %1 \xEAtre\xA0!</li>"};
    QByteArray out = "<html>\r\n<head>\r\n<title>Grande page</title>\r\n</head>\r\n<body>\r\n";
    out.reserve(size + 200);
    for (int n = 0; out.size() < size; ++n) {
        QByteArray line(bodies[n % 5]);
        line.replace("%1", QByteArray::number(n));
        out += line + "\r\n";
    }
    out += "</body>\r\n</html>\r\n";
    return out;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

double ms(const QElapsedTimer &t) { return t.nsecsElapsed() / 1e6; }

// Runs the event loop until it has had nothing to do for a few rounds.
void settle()
{
    int quiet = 0;
    while (quiet < 5) {
        QElapsedTimer t;
        t.start();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        quiet = t.nsecsElapsed() < 1'000'000 ? quiet + 1 : 0;
    }
}

// Notes when the pane's viewport has painted.
class PaintSpy : public QObject
{
public:
    bool painted = false;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

// What the frame's clock does for one window (see the frame's recovery code):
// the time it takes on this thread; the copy itself is written on the
// session's thread.
void recoveryTick(Recovery::Session &session, int id, TEditeur &e)
{
    if (!e.Memo1->Modified()) {
        session.remove(id);
        return;
    }
    Recovery::Stamp stamp;
    stamp.changes = e.page()->changeCount();
    stamp.original = e.GetFichier();
    stamp.title = e.windowTitle();
    stamp.encoding = e.encoding();
    stamp.breaks = e.breaks();
    if (session.upToDate(id, stamp))
        return;
    Recovery::Copy copy;
    copy.original = stamp.original;
    copy.title = stamp.title;
    copy.encoding = stamp.encoding;
    copy.breaks = stamp.breaks;
    copy.text = e.page()->snapshot();
    copy.caret = e.Memo1->SelStart();
    session.saveInBackground(id, std::move(copy), stamp);
}

void measure(const QString &dir, int megabytes, bool utf8)
{
    QByteArray bytes = bigPage(qint64(megabytes) * 1'000'000);
    if (utf8)
        bytes = PageFile::decodeWindows1252(bytes).toUtf8();
    const QString path = dir + QStringLiteral("/grande-%1-%2.htm").arg(megabytes).arg(utf8 ? "utf8" : "1252");
    if (!writeFile(path, bytes)) {
        std::fprintf(stderr, "cannot write the test page\n");
        return;
    }
    const double mb = bytes.size() / 1e6;

    QElapsedTimer t;
    t.start();
    const PageFile::Page decoded = PageFile::read(path);
    const double read = ms(t);

    TEditeur editor(nullptr);
    editor.resize(1000, 700);
    editor.show();
    settle();
    PaintSpy spy;
    editor.Memo1->viewport()->installEventFilter(&spy);

    t.restart();
    editor.OpenFile(path);
    const double open = ms(t);
    spy.painted = false;
    while (!spy.painted && t.elapsed() < 60'000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    const double shown = ms(t);
    settle();
    const double idle = ms(t) - 5; // less the quiet rounds that ended it
    editor.Memo1->viewport()->removeEventFilter(&spy);

    // One edit in the middle of the page, then a save.
    editor.Memo1->SetSelStart(editor.Memo1->TextLength() / 2);
    editor.Memo1->SetSelText(QStringLiteral("\u00e9"));
    settle();
    t.restart();
    editor.Enregistrer();
    const double save = ms(t);
    settle();

    QTemporaryDir recoveryDir;
    Recovery::Session session(recoveryDir.path());
    editor.Memo1->SetSelText(QStringLiteral("x"));
    recoveryTick(session, 1, editor); // the first copy
    session.wait();
    editor.Memo1->SetSelText(QStringLiteral("y"));
    t.restart();
    recoveryTick(session, 1, editor);
    const double tickChanged = ms(t);
    session.wait();
    t.restart();
    recoveryTick(session, 1, editor);
    const double tickSame = ms(t);
    settle();

    std::printf("%3d MB %-12s read %6.0f ms  open %6.0f ms %6.1f MB/s  shown %6.0f ms  idle %6.0f ms  "
                "save %6.0f ms %6.1f MB/s  tick %5.1f ms changed, %5.1f ms unchanged\n",
                megabytes, utf8 ? "UTF-8" : "Windows-1252", read, open, mb / open * 1e3, shown, idle, save,
                mb / save * 1e3, tickChanged, tickSame);
    std::fflush(stdout);
    Q_UNUSED(decoded);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        if (const int n = QByteArray(argv[i]).toInt(); n > 0)
            sizes << n;
    if (sizes.isEmpty())
        sizes = {1, 5, 20, 50};
    QTemporaryDir dir;
    std::printf("pages of French text in lines of about 60 characters; save after one edit (fsync included)\n");
    for (int mb : sizes)
        for (bool utf8 : {false, true})
            measure(dir.path(), mb, utf8);
    return 0;
}
