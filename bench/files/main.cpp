// Opening and saving a 50 MB page through the document window, as the
// Fichier menu does: read, decode, fill the source pane, snapshot; then
// read the pane back, encode and write atomically. Figures in MB/s.
#include "colormemo/ColMemo.h"
#include "document/Childwin.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

namespace {

QByteArray bigPage(qint64 size)
{
    static const char *const bodies[] = {
        "<td class=\"cellule\">Texte d'\xE9t\xE9 num\xE9ro %1 &eacute;</td>",
        "<p>Prix\xA0: %1\xA0\x80 <strong>\xAB\xA0" "cher\xA0\xBB</strong></p>",
        "<a href=\"http://www.exemple.fr/p%1.htm\">Lien</a>\t&nbsp;",
        "<!-- commentaire %1 : \xE9t\xE9 --><b>gras \xE0</b>"};
    QByteArray out = "<html>\r\n<body>\r\n";
    out.reserve(size + 200);
    for (int n = 0; out.size() < size; ++n) {
        QByteArray line(bodies[n % 4]);
        line.replace("%1", QByteArray::number(n));
        out += line + "\r\n";
    }
    out += "</body>\r\n</html>\r\n";
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("grande.htm"));
    const QByteArray bytes = bigPage(50'000'000);
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write the test page\n");
            return 1;
        }
    }
    const double mb = bytes.size() / 1e6;
    std::printf("page: %.1f MB, Windows-1252, no-break spaces, tabs and accents\n", mb);

    for (int round = 1; round <= 2; ++round) {
        TEditeur editor(nullptr);
        QElapsedTimer t;
        t.start();
        editor.OpenFile(path);
        const double open = t.nsecsElapsed() / 1e9;
        // The page must reach the pane whole for the figure to count.
        editor.Memo1->SetSelStart(editor.Memo1->TextLength());
        editor.Memo1->SetSelText(QStringLiteral("x"));
        t.restart();
        editor.Enregistrer();
        const double save = t.nsecsElapsed() / 1e9;
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        const qint64 saved = f.size();
        std::printf("round %d  open %6.0f ms  %6.1f MB/s   save %6.0f ms  %6.1f MB/s  (%lld bytes written)\n",
                    round, open * 1e3, mb / open, save * 1e3, mb / save, qlonglong(saved));
    }
    return 0;
}
