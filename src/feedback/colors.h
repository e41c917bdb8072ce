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

} // namespace velko::colors
