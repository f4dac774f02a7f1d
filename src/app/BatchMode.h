#pragma once
// Batch work from the command line, without any window: the same functions
// as the menu commands, on files named on the command line.
//
//   pemohtml --import-rtf IN.rtf OUT.htm
//   pemohtml --export-text IN.htm OUT.txt
//   pemohtml --to-xml IN.htm OUT.xml
//   pemohtml --check IN.htm
//   pemohtml --stats IN.htm
//   pemohtml --validate IN.htm
//   pemohtml --help
#include <QStringList>

class QTextStream;

namespace BatchMode {

// Whether the arguments (the program's name left out) ask for batch work:
// the first one is an option.
bool requested(const QStringList &arguments);

// Exit status 0 on success, 2 after a French message on err; --validate
// gives 1 when the page has messages.
int run(const QStringList &arguments, QTextStream &out, QTextStream &err);

} // namespace BatchMode
