#pragma once
// The dialogs of the text effects: scrolling, gradient, animated and random
// messages, and the count-down. Each gives a head piece and a body piece
// (the count-down a single text), empty after Annuler.
#include "dialogs/InsertDialog.h"

#include <QColor>

class QDateEdit;
class QLineEdit;
class QRadioButton;
class QTimer;
class TColourSwatch;

class TDefile : public TInsertDialog
{
    Q_OBJECT
public:
    explicit TDefile(QWidget *owner);
    void Result(QString &head, QString &body) const;
    QLineEdit *preview() const { return m_preview; }
    QTimer *timer() const { return m_timer; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void restartPreview();

    QLineEdit *m_message;
    QRadioButton *m_bouton;
    QRadioButton *m_statut;
    QLineEdit *m_preview;
    QTimer *m_timer;
};

class TDegrade : public TInsertDialog
{
    Q_OBJECT
public:
    explicit TDegrade(QWidget *owner);
    void Result(QString &head, QString &body) const;

    // Where the first character of the preview is drawn, and its size.
    static constexpr int previewX = 20;
    static constexpr int previewY = 110;
    static constexpr int previewPointSize = 12;

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QLineEdit *m_message;
    TColourSwatch *m_debut;
    TColourSwatch *m_fin;
};

class TAnime : public TInsertDialog
{
    Q_OBJECT
public:
    explicit TAnime(QWidget *owner);
    void Result(QString &head, QString &body) const;
    QLineEdit *preview() const { return m_preview; }
    QTimer *timer() const { return m_timer; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void tick();

    QLineEdit *m_message;
    QLineEdit *m_preview;
    QTimer *m_timer;
    int m_capital = 0;
};

class TMsgalea : public TInsertDialog
{
    Q_OBJECT
public:
    explicit TMsgalea(QWidget *owner);
    void Result(QString &head, QString &body) const;

private:
    QList<QLineEdit *> m_textes;
};

class TCompte : public TInsertDialog
{
    Q_OBJECT
public:
    explicit TCompte(QWidget *owner);
    void Result(QString &text) const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QDateEdit *m_date;
};
