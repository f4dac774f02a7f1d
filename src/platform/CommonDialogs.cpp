#include "CommonDialogs.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QInputDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

namespace CommonDialogs {
namespace {
template <typename Handler>
Handler &slot()
{
    static Handler h;
    return h;
}

// The standard buttons of Qt's dialogs follow the system language; ours are
// French whatever the locale.
void frenchButtons(QWidget *dialog)
{
    const auto boxes = dialog->findChildren<QDialogButtonBox *>();
    for (QDialogButtonBox *box : boxes) {
        if (QPushButton *ok = box->button(QDialogButtonBox::Ok)) {
            ok->setText(QStringLiteral("OK"));
            ok->setAccessibleName(QStringLiteral("OK"));
        }
        if (QPushButton *cancel = box->button(QDialogButtonBox::Cancel)) {
            cancel->setText(QStringLiteral("Annuler"));
            cancel->setAccessibleName(QStringLiteral("Annuler"));
        }
    }
}
} // namespace

void setTextHandler(TextHandler handler) { slot<TextHandler>() = std::move(handler); }
void setColorHandler(ColorHandler handler) { slot<ColorHandler>() = std::move(handler); }
void setFontHandler(FontHandler handler) { slot<FontHandler>() = std::move(handler); }
void setPrintHandler(PrintHandler handler) { slot<PrintHandler>() = std::move(handler); }

std::optional<QString> askText(QWidget *parent, const QString &caption, const QString &prompt,
                               const QString &initial)
{
    if (slot<TextHandler>())
        return slot<TextHandler>()(TextRequest{caption, prompt, initial});
    QInputDialog dialog(parent);
    dialog.setWindowTitle(caption);
    dialog.setAccessibleName(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(initial);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Annuler"));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

std::optional<QColor> askColor(QWidget *parent, const QColor &initial)
{
    if (slot<ColorHandler>())
        return slot<ColorHandler>()(initial);
    QColorDialog dialog(initial, parent);
    dialog.setWindowTitle(QStringLiteral("Couleur"));
    dialog.setAccessibleName(QStringLiteral("Couleur"));
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    frenchButtons(&dialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedColor();
}

std::optional<QFont> askFont(QWidget *parent, const QFont &initial)
{
    if (slot<FontHandler>())
        return slot<FontHandler>()(initial);
    QFontDialog dialog(initial, parent);
    dialog.setWindowTitle(QStringLiteral("Police"));
    dialog.setAccessibleName(QStringLiteral("Police"));
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    frenchButtons(&dialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedFont();
}

QString familyName(const QString &family)
{
    QString name = family.trimmed();
    if (name.endsWith(u']')) {
        const qsizetype open = name.lastIndexOf(QStringLiteral(" ["));
        if (open > 0)
            name = name.left(open).trimmed();
    }
    return name;
}

QString installedFamily(const QString &face)
{
    if (face.trimmed().isEmpty())
        return {};
    return QFontInfo(QFont(face.trimmed())).family();
}

bool askPrint(QWidget *parent, QPrinter &printer, bool offerSelection)
{
    // A choice left over from the last job must not carry into this one.
    printer.setPrintRange(QPrinter::AllPages);
    printer.setFromTo(0, 0);
    if (slot<PrintHandler>())
        return slot<PrintHandler>()(printer);
    QPrintDialog dialog(&printer, parent);
    // Only what the printing honours is offered: all pages, a range, and
    // the selection when there is one. There is no current page in a text
    // laid out at print time.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, offerSelection);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setWindowTitle(QStringLiteral("Imprimer"));
    dialog.setAccessibleName(QStringLiteral("Imprimer"));
    return dialog.exec() == QDialog::Accepted;
}

} // namespace CommonDialogs
