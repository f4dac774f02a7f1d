#pragma once
// The named entities of the 13 accented lower-case letters of French that
// the program writes as entities: typed in the source pane or a wizard's
// text, converted by Convertir, imported from a text file.
#include <QStringView>

namespace HtmlEntity {

// "&eacute;" for é; empty for any other character (capitals and ç included).
QStringView accent(QChar c);

} // namespace HtmlEntity
