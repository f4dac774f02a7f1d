#include "Genxml.h"

QList<int> genxmlLines(QStringList &lines)
{
    static const QString empties[] = {QStringLiteral("<br"), QStringLiteral("<hr"),
                                      QStringLiteral("<img"), QStringLiteral("<meta")};
    QList<int> changed;
    bool inComment = false;
    for (int l = 1; l < lines.size(); ++l) {
        const QString original = lines.at(l);
        QString line = original;
        for (qsizetype i = 0; i < original.size(); ++i) {
            const QStringView rest = QStringView(original).mid(i);
            if (rest.startsWith(u"-->"))
                inComment = false;
            if (rest.startsWith(u"<!--"))
                inComment = true;
            if (inComment || original.at(i) != u'<')
                continue;
            bool empty = false;
            for (const QString &e : empties)
                if (rest.startsWith(e, Qt::CaseInsensitive))
                    empty = true;
            if (!empty || line.contains(u"/>"))
                continue;
            // The line is still the original here: one insertion leaves a "/>".
            const qsizetype close = line.indexOf(u'>', i);
            if (close < 0)
                continue;
            line.insert(close, u'/');
            lines[l] = line;
            if (!changed.contains(l))
                changed << l;
        }
    }
    return changed;
}
