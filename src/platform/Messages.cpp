#include "Messages.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace Platform {
namespace {
MessageHandler &handler()
{
    static MessageHandler h;
    return h;
}
} // namespace

void setMessageHandler(MessageHandler h) { handler() = std::move(h); }

QString titleFor(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Warning: return QStringLiteral("Avertissement");
    case MessageKind::Question: return QStringLiteral("Confirmation");
    case MessageKind::Error: return QStringLiteral("Erreur");
    case MessageKind::Information: return QStringLiteral("Information");
    case MessageKind::Plain: break;
    }
    return QStringLiteral("Pemo HTML");
}

Answer showMessage(QWidget *parent, MessageKind kind, const QString &text, Buttons buttons)
{
    const MessageRecord record{kind, titleFor(kind), text};
    if (handler())
        return handler()(record);

    QMessageBox box(parent);
    box.setWindowTitle(record.title);
    box.setText(text);
    box.setAccessibleName(record.title);
    switch (kind) {
    case MessageKind::Warning: box.setIcon(QMessageBox::Warning); break;
    case MessageKind::Question: box.setIcon(QMessageBox::Question); break;
    case MessageKind::Error: box.setIcon(QMessageBox::Critical); break;
    case MessageKind::Information: box.setIcon(QMessageBox::Information); break;
    case MessageKind::Plain: break;
    }
    auto add = [&box](const QString &caption, QMessageBox::ButtonRole role, Answer answer) {
        QPushButton *b = box.addButton(caption, role);
        b->setAccessibleName(QString(caption).remove(u'&'));
        b->setProperty("answer", int(answer));
        return b;
    };
    switch (buttons) {
    case Buttons::Ok:
        box.setDefaultButton(add(QStringLiteral("OK"), QMessageBox::AcceptRole, Answer::Ok));
        break;
    case Buttons::OkCancel:
        box.setDefaultButton(add(QStringLiteral("OK"), QMessageBox::AcceptRole, Answer::Ok));
        box.setEscapeButton(add(QStringLiteral("Annuler"), QMessageBox::RejectRole, Answer::Cancel));
        break;
    case Buttons::YesNo:
        box.setDefaultButton(add(QStringLiteral("&Oui"), QMessageBox::YesRole, Answer::Yes));
        box.setEscapeButton(add(QStringLiteral("&Non"), QMessageBox::NoRole, Answer::No));
        break;
    case Buttons::YesNoSafe:
        add(QStringLiteral("&Oui"), QMessageBox::YesRole, Answer::Yes);
        box.setEscapeButton(add(QStringLiteral("&Non"), QMessageBox::NoRole, Answer::No));
        box.setDefaultButton(qobject_cast<QPushButton *>(box.escapeButton()));
        break;
    case Buttons::YesNoCancel:
        box.setDefaultButton(add(QStringLiteral("&Oui"), QMessageBox::YesRole, Answer::Yes));
        add(QStringLiteral("&Non"), QMessageBox::NoRole, Answer::No);
        box.setEscapeButton(add(QStringLiteral("Annuler"), QMessageBox::RejectRole, Answer::Cancel));
        break;
    }
    box.exec();
    QAbstractButton *clicked = box.clickedButton();
    if (!clicked)
        return buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
    return Answer(clicked->property("answer").toInt());
}

} // namespace Platform
