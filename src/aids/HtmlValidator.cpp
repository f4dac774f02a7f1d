#include "HtmlValidator.h"

#include <tidy/tidy.h>
#include <tidy/tidybuffio.h>

#include <climits>
#include <memory>

namespace HtmlValidator {
namespace {

struct Collector {
    QList<Message> messages;
};

Bool TIDY_CALL onMessage(TidyMessage message)
{
    auto *collector = static_cast<Collector *>(tidyGetAppData(tidyGetMessageDoc(message)));
    const TidyReportLevel level = tidyGetMessageLevel(message);
    Message m;
    switch (level) {
    case TidyWarning:
    case TidyAccess:
        m.level = Level::Warning;
        break;
    case TidyError:
    case TidyBadDocument:
    case TidyFatal:
        m.level = Level::Error;
        break;
    default:
        // Information and tidy's own summaries say nothing about the page.
        return no;
    }
    m.line = tidyGetMessageLine(message);
    m.column = tidyGetMessageColumn(message);
    m.text = QString::fromUtf8(tidyGetMessage(message)).trimmed();
    collector->messages << m;
    return no; // nothing goes to tidy's own error output
}

// tidy counts columns in code points from 1; the pane counts UTF-16 units.
int unitColumn(const QString &line, int codePointColumn)
{
    int units = 0;
    for (int cp = 1; cp < codePointColumn && units < line.size(); ++cp)
        units += (line.at(units).isHighSurrogate() && units + 1 < line.size()) ? 2 : 1;
    return units + 1;
}

// tidy reads the language table once per process; "fr" falls back to
// English where a text has no French form.
void useFrench()
{
    static const bool done = [] {
        tidySetLanguage("fr");
        return true;
    }();
    (void)done;
}

} // namespace

QList<Message> validate(const QStringList &lines)
{
    useFrench();
    std::unique_ptr<std::remove_pointer_t<TidyDoc>, void (*)(TidyDoc)> doc(tidyCreate(), tidyRelease);
    Collector collector;
    tidySetAppData(doc.get(), &collector);
    tidySetMessageCallback(doc.get(), onMessage);
    tidySetInCharEncoding(doc.get(), "utf8");
    tidyOptSetBool(doc.get(), TidyQuiet, yes);
    tidyOptSetBool(doc.get(), TidyShowWarnings, yes);
    tidyOptSetBool(doc.get(), TidyShowInfo, no);
    // Every error, not only the first six.
    tidyOptSetInt(doc.get(), TidyShowErrors, INT_MAX);
    // A tab is one column, as in the pane.
    tidyOptSetInt(doc.get(), TidyTabSize, 1);

    const QByteArray utf8 = lines.join(QLatin1Char('\n')).toUtf8() + '\n';
    // Attributes are judged by the repair pass and the diagnostics, which
    // only work on tidy's own tree; its output is never asked for.
    if (tidyParseString(doc.get(), utf8.constData()) >= 0 && tidyCleanAndRepair(doc.get()) >= 0)
        tidyRunDiagnostics(doc.get());

    for (Message &m : collector.messages)
        if (m.line >= 1 && m.line <= lines.size() && m.column >= 1)
            m.column = unitColumn(lines.at(m.line - 1), m.column);
    return collector.messages;
}

QString describe(const Message &message)
{
    const QString level = message.level == Level::Error ? QStringLiteral("Erreur") : QStringLiteral("Avertissement");
    if (message.line <= 0)
        return level + QStringLiteral(" : ") + message.text;
    return QStringLiteral("Ligne %1, colonne %2 : %3 : %4").arg(message.line).arg(message.column).arg(level, message.text);
}

} // namespace HtmlValidator
