#include "AsciiCase.h"

namespace Ascii {

namespace {

template<char16_t (*Change)(char16_t)>
QString changed(QStringView text)
{
    QString out(text.size(), Qt::Uninitialized);
    QChar *d = out.data();
    for (qsizetype i = 0; i < text.size(); ++i)
        d[i] = QChar(Change(text[i].unicode()));
    return out;
}

} // namespace

QString upper(QStringView text) { return changed<&toUpper>(text); }
QString lower(QStringView text) { return changed<&toLower>(text); }

} // namespace Ascii
