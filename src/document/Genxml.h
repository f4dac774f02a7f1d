#pragma once
#include <QStringList>

// Rewrites empty elements (br, hr, img, meta) into their XML form "<br/>":
// every line but the first, outside comments, the first such tag of a line
// that holds no "/>" yet. Returns the indexes of the lines it changed.
QList<int> genxmlLines(QStringList &lines);
