#pragma once
// The program's own pictures, drawn in code so that they scale and need no files.
#include <QIcon>

namespace Icons {
QIcon application();
QIcon document();
QIcon newPage();
QIcon open();
QIcon save();
QIcon cut();
QIcon copy();
QIcon paste();
QIcon browser();
QIcon refresh();
QIcon bold();
QIcon italic();
QIcon underline();
QPixmap logo(int size);
} // namespace Icons
