#pragma once
// Case changes of the ASCII letters alone, as HTML treats tag and attribute
// names: "A".."Z" and "a".."z" change, every other character (accented
// letters, "ß", "İ") stays as it is. The length never changes, so a place
// found in the changed text is the same place in the original.
#include <QChar>
#include <QString>
#include <QStringView>

namespace Ascii {

constexpr char16_t toUpper(char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; }
constexpr char16_t toLower(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; }
constexpr QChar toUpper(QChar c) { return QChar(toUpper(c.unicode())); }
constexpr QChar toLower(QChar c) { return QChar(toLower(c.unicode())); }

QString upper(QStringView text);
QString lower(QStringView text);

} // namespace Ascii
