#pragma once
// Message boxes with French captions and buttons. Everything above the
// platform layer goes through these helpers so that tests can answer them.
#include <QString>
#include <functional>

class QWidget;

namespace Platform {

enum class MessageKind { Warning, Question, Error, Information, Plain };
enum class Answer { Ok, Yes, No, Cancel };

// Which buttons a question offers. YesNoSafe: "Non" is the default, for
// questions where a hasty Enter must not say yes.
enum class Buttons { Ok, YesNo, YesNoCancel, OkCancel, YesNoSafe };

struct MessageRecord {
    MessageKind kind;
    QString title;
    QString text;
};

// "Avertissement", "Confirmation", "Erreur", "Information", "Pemo HTML".
QString titleFor(MessageKind kind);

Answer showMessage(QWidget *parent, MessageKind kind, const QString &text,
                   Buttons buttons = Buttons::Ok);

inline void warning(QWidget *parent, const QString &text) { showMessage(parent, MessageKind::Warning, text); }
inline void error(QWidget *parent, const QString &text) { showMessage(parent, MessageKind::Error, text); }
inline void information(QWidget *parent, const QString &text) { showMessage(parent, MessageKind::Information, text); }
inline void message(QWidget *parent, const QString &text) { showMessage(parent, MessageKind::Plain, text); }
inline Answer confirm(QWidget *parent, const QString &text, Buttons buttons = Buttons::YesNoCancel)
{
    return showMessage(parent, MessageKind::Question, text, buttons);
}

// Tests install a handler that answers instead of a person; it is called with
// every box that would be shown. Pass an empty function to restore real boxes.
using MessageHandler = std::function<Answer(const MessageRecord &)>;
void setMessageHandler(MessageHandler handler);

} // namespace Platform
