#pragma once

#include <QList>
#include <QPointF>
#include <QRect>
#include <QRectF>

class QPropertyAnimation;
class QWidget;

namespace velko {

// The sideways shake that answers a keyword mismatch.
inline constexpr int numberOfShakes = 8;       // left-then-right swings
inline constexpr float durationOfShake = 0.5f; // seconds for the whole shake
inline constexpr float vigourOfShake = 0.05f;  // amplitude, as a fraction of the width

// One stop of the shake: the window's origin reached at `step` (0 to 1) of
// the duration.
struct ShakeKeyframe
{
    qreal step;
    QPointF origin;
};

// The path of window origins for a window whose frame is `frame`: the start,
// then left and right of it `numberOfShakes` times (left first), then back to
// the start. 2 * numberOfShakes + 2 positions, reached at equal intervals.
QList<QPointF> shakePath(const QRectF& frame);
QList<ShakeKeyframe> shakeKeyframes(const QRectF& frame);

// An animation of `window`'s position through the keyframes of `frame`,
// durationOfShake long, parented to the window and not yet started. Whenever
// it stops, finished or stopped early, it puts the window back at
// frame.topLeft().
QPropertyAnimation* createShakeAnimation(QWidget* window, const QRect& frame);

} // namespace velko
