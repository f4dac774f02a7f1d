#pragma once
// The windows of the writing aids: the HTML5 messages, the typography
// faults, and the aids' settings.
#include "aids/FrenchTypography.h"
#include "aids/HtmlValidator.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QTableWidget;

// "Validation HTML5": one row per message. A double-click asks for the
// caret at the message's place (placeCaret), the window stays open.
class TValidationDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TValidationDialog(QWidget *parent = nullptr);
    void Init(const QList<HtmlValidator::Message> &messages);
    std::function<void(int line, int column)> placeCaret;
    QTableWidget *grid() const { return m_grid; }

private:
    QList<HtmlValidator::Message> m_messages;
    QTableWidget *m_grid;
};

// "Typographie française": one checkable row per fault (hints unchecked).
// "Corriger" hands the checked faults to fix, "Tout corriger" all of them.
class TTypographyDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TTypographyDialog(QWidget *parent = nullptr);
    void Init(const QStringList &lines, const QList<FrenchTypography::Fault> &faults);
    QList<FrenchTypography::Fault> checkedFaults() const;
    std::function<void(const QList<FrenchTypography::Fault> &)> fix;
    std::function<void(int line, int column)> placeCaret;
    QTableWidget *grid() const { return m_grid; }

private:
    QList<FrenchTypography::Fault> m_faults;
    QTableWidget *m_grid;
};

// "Aides à la rédaction": which aids are on; the choice is kept.
class TAidSettingsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TAidSettingsDialog(QWidget *parent = nullptr);
    // Writes the boxes' state to the settings.
    void save() const;

private:
    QCheckBox *m_validation, *m_typography, *m_marks, *m_spelling, *m_completion;
};
