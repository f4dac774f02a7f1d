#pragma once
// The code skeletons the script menu writes: a JavaScript block, loops, a
// condition, an applet element and an XML data island. Plain text in, text
// out; every line break is CR LF and field values go in as typed.
#include <QString>
#include <QStringList>

namespace ScriptSkeletons {

// The comparison operators offered by the loop and condition dialogs, in
// the order of their radio buttons.
const QStringList &operators();

// The keyword picker's entries, in the order they are shown.
const QStringList &keywords();

// <script> block around the text, the text wrapped in comment markers.
QString scriptBlock(const QString &text);

// Empty when there is no counter.
QString forLoop(const QString &counter, const QString &from, const QString &to, bool decreasing);

// Empty when the first operand is empty or no operator is chosen
// (operatorIndex outside operators()).
QString whileLoop(const QString &operand1, int operatorIndex, const QString &operand2);
QString ifCondition(const QString &operand1, int operatorIndex, const QString &operand2, bool withElse);

struct Applet {
    QString classFile;   // as the user typed or chose it
    QString width;
    QString height;
    QString paramName;
    QString paramValue;
    QStringList text;    // replacement text shown by browsers without Java
};
// The class file is made relative to the page's folder: its folder part is
// the code base, its file name the code.
QString appletElement(const Applet &applet, const QString &pageFolder);

// Empty when the id is empty (after trimming). The source lines are
// written only when there is more than the one default line.
QString xmlIsland(const QString &id, const QString &url, const QStringList &source);

} // namespace ScriptSkeletons
