#pragma once
// The picture commands take the selected text of the page as a file name:
// "anim.gif" and 'logo.jpg' lose their quotes (one double quote at each end,
// then one single quote at each end, each only where present).
#include <QString>

namespace PictureName {

inline QString fromSelection(QString text)
{
    if (text.startsWith(u'"'))
        text.remove(0, 1);
    if (text.endsWith(u'"'))
        text.chop(1);
    if (text.startsWith(u'\''))
        text.remove(0, 1);
    if (text.endsWith(u'\''))
        text.chop(1);
    return text;
}

} // namespace PictureName
