#pragma once

#include <QColor>

namespace velko::colors {

inline QColor blue()
{
    return QColor::fromRgbF(0.0f, 0.0f, 1.0f);
}
inline QColor orange()
{
    return QColor::fromRgbF(1.0f, 0.5f, 0.0f);
}
inline QColor red()
{
    return QColor::fromRgbF(1.0f, 0.0f, 0.0f);
}
inline QColor black()
{
    return QColor::fromRgbF(0.0f, 0.0f, 0.0f);
}

// The file-name label's colour, the window's one sign of unsaved edits:
// blue while the document matches its file (or, untitled, has no edits),
// red from the first edit until a command makes the document clean again.
inline QColor fileNameLabel(bool textChanged)
{
    return textChanged ? red() : blue();
}

} // namespace velko::colors
