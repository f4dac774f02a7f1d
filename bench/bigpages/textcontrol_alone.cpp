// What the text control costs by itself on a page given a block a line: the
// file decoded and put into a bare document with the plain-text layout, undo
// off, no window. The big-pages benchmark prints it beside the whole opens
// of the peer editor and of ours, which gathers a big page's lines into
// fewer blocks.
// Usage: textcontrol_alone FILE  (prints "decode_s=… insert_s=… blocks=…")
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QPlainTextDocumentLayout>
#include <QTextCursor>
#include <QTextDocument>
#include <cstdio>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: textcontrol_alone FILE\n");
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "%s: cannot be read\n", argv[1]);
        return 1;
    }
    QElapsedTimer clock;
    clock.start();
    const QString text = QString::fromUtf8(file.readAll());
    const double decoded = clock.nsecsElapsed() / 1e9;
    clock.restart();
    QTextDocument doc;
    doc.setUndoRedoEnabled(false);
    doc.setDocumentLayout(new QPlainTextDocumentLayout(&doc));
    QTextCursor(&doc).insertText(text);
    const double inserted = clock.nsecsElapsed() / 1e9;
    std::printf("decode_s=%.3f insert_s=%.3f blocks=%d\n", decoded, inserted, doc.blockCount());
    return 0;
}
