// A recovery copy left by an earlier run: its description (JSON) and its
// page, both of any content. The input holds the description, then a NUL
// byte, then the page.
#include "FuzzInput.h"
#include "document/Recovery.h"
#include "platform/Errors.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

void put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QByteArray bytes = FuzzInput::bytes(data, size);
    const qsizetype split = bytes.indexOf('\0');
    Recovery::Entry entry;
    entry.id = QStringLiteral("1234-abcd-1");
    entry.infoPath = dir.filePath(QStringLiteral("1234-abcd-1.json"));
    entry.copyPath = dir.filePath(QStringLiteral("1234-abcd-1.htm"));
    put(entry.infoPath, split < 0 ? bytes : bytes.left(split));
    put(entry.copyPath, split < 0 ? QByteArray() : bytes.mid(split + 1));
    try {
        const Recovery::Copy copy = Recovery::load(entry);
        for (const QString &line : copy.lines)
            if (line.contains(u'\r') || line.contains(u'\n'))
                __builtin_trap();
    } catch (const Platform::PemoError &) {
    }
    // Removed rather than truncated by the next input: a file cut to
    // nothing is flushed to the disk first, which costs more than the read.
    QFile::remove(entry.infoPath);
    QFile::remove(entry.copyPath);
    return 0;
}
