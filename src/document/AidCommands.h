#pragma once
// The writing aids' commands on a document window (menu "Outils") and
// their settings (menu "Paramètres").
class QWidget;
class TEditeur;

namespace AidCommands {

// "Valider la page (HTML5)...": the messages in a window of their own that
// stays open beside the page; the page is never changed.
void validate(TEditeur &editeur);
// "Typographie française...": the faults, fixed in one step of the history.
void typography(TEditeur &editeur);
// "Aides à la rédaction...".
void settings(QWidget *parent);

} // namespace AidCommands
