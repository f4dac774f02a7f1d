#pragma once
// Character references of HTML read back into the characters they stand
// for, as a browser shows them: the named entities of HTML 4, decimal and
// hexadecimal numeric references (128 to 159 read as Windows-1252, as
// browsers do), and the old names written without their ";".
#include <QString>
#include <QStringView>

namespace HtmlEntities {

// References that name nothing known are left as written.
QString decode(QStringView text);

} // namespace HtmlEntities
