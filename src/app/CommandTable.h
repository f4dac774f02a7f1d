#pragma once
// The frame's command table: every menu item in menu order, with its
// caption, shortcut, hint, enabling mark and what it runs. A document
// command names the TEditeur operation it calls on the active window; a
// frame command is run by the frame itself. An entry with neither handler is
// a command whose feature is not built yet: pendingCommands() lists them.
#include <QList>
#include <QString>
#include <functional>

class TEditeur;
class TMainForm;

struct MenuCommand {
    QString name;       // object name of the QAction (e.g. "FileNewItem")
    QString caption;
    QString shortcut;   // QKeySequence text, e.g. "Ctrl+Z"
    QString hint;       // status-line text
    bool doc = false;   // enabled only while a document window exists
    std::function<void(TEditeur &)> onDocument;
    std::function<void(TMainForm &)> onFrame;
    QList<MenuCommand> children; // a submenu
    bool separatorBefore = false;
    bool checkable = false;
};

struct MenuDefinition {
    QString name;
    QString caption;
    QString hint;
    int helpContext;
    QList<MenuCommand> items;
};

const QList<MenuDefinition> &commandTable();
// Names of the commands that are listed but not connected yet.
QStringList pendingCommands();
