#pragma once
// The special characters offered by the character grid and their entities,
// and the text smileys of the smiley list.
#include <QString>
#include <QStringList>
#include <array>

namespace CharacterGrid {

struct Entry {
    QChar character;
    const char *entity;
};

inline constexpr int Rows = 8;
inline constexpr int Columns = 5;

// The grid's cells, row by row.
const std::array<Entry, Rows * Columns> &cells();
// The entity of cell row * Columns + column; empty outside the grid.
QString entityOf(int cell);

// The smiley list's entries, each a smiley, spaces and its meaning.
const QStringList &smileys();
// The smiley of an entry: its text before the first space.
QString smileyOf(const QString &entry);

} // namespace CharacterGrid
