#include "BlocNotes.h"

#include "platform/Errors.h"
#include "platform/Messages.h"
#include "tools/NotesFile.h"

#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// Texts that could not be written, by file, until a later save succeeds.
QHash<QString, QString> &unsavedNotes()
{
    static QHash<QString, QString> texts;
    return texts;
}
} // namespace

TBlocNotes::TBlocNotes(QWidget *owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("BlocNotes"));
    setWindowTitle(QStringLiteral("Bloc-notes"));
    setAccessibleName(windowTitle());
    resize(520, 400);

    m_memo = new QPlainTextEdit(this);
    m_memo->setObjectName(QStringLiteral("Memo1"));
    m_memo->setAccessibleName(QStringLiteral("Notes"));
    m_memo->setTabChangesFocus(false);
    auto *label = new QLabel(QStringLiteral("&Notes :"), this);
    label->setBuddy(m_memo);

    auto *close = new QPushButton(QStringLiteral("Fermer"), this);
    close->setObjectName(QStringLiteral("CloseBtn"));
    close->setAccessibleName(QStringLiteral("Fermer"));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel(QStringLiteral("Le texte est enregistré à la fermeture."), this), 1);
    bottom->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_memo, 1);
    layout->addLayout(bottom);
    m_memo->setFocus();
}

void TBlocNotes::setText(const QString &text) { m_memo->setPlainText(text); }

QString TBlocNotes::text() const
{
    // The raw text keeps no-break spaces, which toPlainText() would turn into blanks.
    QString text = m_memo->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    text.replace(QChar::LineSeparator, u'\n');
    return text;
}

void TBlocNotes::run(QWidget *owner, const QString &path)
{
    const QString onDisk = Tools::loadNotes(path);
    const auto pending = unsavedNotes().constFind(path);
    const QString initial = pending != unsavedNotes().cend() ? *pending : onDisk;

    TBlocNotes notepad(owner);
    notepad.setText(initial);
    notepad.exec();
    const QString text = notepad.text();
    if (text == onDisk) {
        // Nothing to write (also spares a read-only folder a useless save).
        unsavedNotes().remove(path);
        return;
    }
    try {
        Tools::saveNotes(path, text);
        unsavedNotes().remove(path);
    } catch (const Platform::PemoError &e) {
        unsavedNotes().insert(path, text);
        Platform::error(owner, e.message()
                                   + QStringLiteral("\nLe texte est conservé : il réapparaîtra à la prochaine "
                                                    "ouverture du bloc-notes."));
    }
}
