#pragma once
// The bodies of the commands that change the page without asking anything:
// they work on the page alone, so that they run (and are tested) without a
// window. Each opens one step of the page's history; one "Annuler" right
// after takes all of it back.
#include <QString>
#include <QStringList>

class TPage;

namespace PageCommands {

// The selection between open and close; the caret ends after close.
void wrap(TPage &page, const QString &open, const QString &close);
// The same, only when something is selected (a font face around nothing
// is of no use); the step is opened either way.
void wrapSelected(TPage &page, const QString &open, const QString &close);
// text in place of the selection.
void replaceSelection(TPage &page, const QString &text);
// Accented letters to their entities, in the whole page.
void convertAccents(TPage &page);
// Every tag without the blanks between them, in the whole page.
void compact(TPage &page);
// The selected lines indented.
void indent(TPage &page);
// Empty elements in their XML form; the selection stays where it was.
void genxml(TPage &page);
// The line linking the style sheet at `href`, put where the page's head
// wants it; nothing when the page has no head.
void linkStyleSheet(TPage &page, const QString &href);

} // namespace PageCommands
