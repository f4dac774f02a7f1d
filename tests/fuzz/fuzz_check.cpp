// Page check and statistics over any page.
#include "FuzzInput.h"
#include "document/PageCheck.h"
#include "document/PageStats.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QStringList lines = FuzzInput::pageLines(FuzzInput::bytes(data, size));
    const QList<PageCheck::TagBalance> balance = PageCheck::check(lines);
    for (const PageCheck::TagBalance &tag : balance)
        (void)tag.shortName();
    // Picture sizes from the name alone: no file is touched.
    const PageStats::Stats stats = PageStats::compute(lines, [](const QString &name) -> qint64 {
        return name.size() % 3 == 0 ? -1 : name.size() * 1000;
    });
    if (stats.lines != lines.size() || stats.images > stats.lines)
        __builtin_trap();
    (void)PageStats::report(stats);
    return 0;
}
