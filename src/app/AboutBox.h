#pragma once
#include <QDialog>
#include <QWidget>

// "A propos de PemoHTML": the program picture, name, version and credits.
class TAboutBox : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *parent = nullptr);
};

// The start-up splash: borderless, centred, 318 by 221 pixels.
class TSplash : public QWidget
{
    Q_OBJECT
public:
    TSplash();
};
