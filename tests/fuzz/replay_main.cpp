// Feeds files to a fuzz target without the fuzzing engine: every file of
// the folders (or the files) named on the command line, in name order, so
// that the test suite replays each corpus and every input that once found
// a fault. A fault stops the program through the sanitizers.
#include "FuzzInput.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace {

bool replay(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return false;
    }
    const QByteArray bytes = file.readAll();
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    int count = 0;
    bool ok = argc > 1;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        QStringList paths;
        if (QFileInfo(arg).isDir()) {
            const QDir dir(arg);
            for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
                paths << dir.filePath(name);
        } else {
            paths << arg;
        }
        for (const QString &path : paths) {
            ok = replay(path) && ok;
            ++count;
        }
    }
    std::printf("%d inputs replayed\n", count);
    return ok && count > 0 ? 0 : 1;
}
