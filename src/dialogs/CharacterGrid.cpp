#include "CharacterGrid.h"

namespace CharacterGrid {

const std::array<Entry, Rows * Columns> &cells()
{
    // Numeric references give the Windows-1252 code in decimal, which is
    // what the pages' browsers expect of "&#153;" and the like.
    static const std::array<Entry, Rows * Columns> table = {{
        {u'"', "&quot;"},     {u'&', "&amp;"},      {u'<', "&lt;"},       {u'>', "&gt;"},       {QChar(0x2122), "&#153;"},
        {QChar(0x0153), "&oelig;"}, {QChar(0xA2), "&cent;"}, {QChar(0xA9), "&copy;"}, {QChar(0xAB), "&#171;"}, {QChar(0xAE), "&reg;"},
        {QChar(0xBB), "&#187;"}, {QChar(0xBC), "&#188;"}, {QChar(0xBD), "&#189;"}, {QChar(0xBE), "&#190;"}, {QChar(0xC0), "&Agrave;"},
        {QChar(0xC1), "&Aacute;"}, {QChar(0xC2), "&Acirc;"}, {QChar(0xC3), "&Atilde;"}, {QChar(0xC4), "&Auml;"}, {QChar(0xC5), "&Aring;"},
        {QChar(0xC6), "&AElig;"}, {QChar(0xC8), "&Egrave;"}, {QChar(0xC9), "&Eacute;"}, {QChar(0xCA), "&Ecirc;"}, {QChar(0xCB), "&Euml;"},
        {QChar(0xCC), "&Igrave;"}, {QChar(0xCD), "&Iacute;"}, {QChar(0xCE), "&Icirc;"}, {QChar(0xCF), "&Iuml;"}, {QChar(0xD2), "&Ograve;"},
        {QChar(0xD3), "&Oacute;"}, {QChar(0xD4), "&Ocirc;"}, {QChar(0xD5), "&Otilde;"}, {QChar(0xD6), "&Ouml;"}, {QChar(0xDF), "&szlig;"},
        {QChar(0xE3), "&atilde;"}, {QChar(0xE6), "&aelig;"}, {QChar(0xB5), "&#181;"}, {QChar(0xF1), "&ntilde;"}, {u' ', "&nbsp;"},
    }};
    return table;
}

QString entityOf(int cell)
{
    if (cell < 0 || cell >= int(cells().size()))
        return QString();
    return QString::fromLatin1(cells()[cell].entity);
}

const QStringList &smileys()
{
    static const QStringList entries = {
        QStringLiteral(";-)   Sourire"),         QStringLiteral("$-)  Très cher"),
        QStringLiteral("%-) Fatigué"),           QStringLiteral("(-:    Gaucher"),
        QStringLiteral(":-#|  Moustache"),       QStringLiteral(":(     Triste"),
        QStringLiteral(":-)    Content"),        QStringLiteral(":-/   Sceptique"),
        QStringLiteral(":-?   Fumer la pipe"),   QStringLiteral(":-<   Très triste"),
        QStringLiteral(":->   Très heureux"),    QStringLiteral(":-C   Pas content"),
        QStringLiteral(":-i     Fumeur"),        QStringLiteral(";-(    Triste"),
        QStringLiteral("8-O Grande susprise"),   QStringLiteral("B-)  Lunettes de soleil"),
    };
    return entries;
}

QString smileyOf(const QString &entry)
{
    const qsizetype space = entry.indexOf(u' ');
    return space < 0 ? entry : entry.left(space);
}

} // namespace CharacterGrid
