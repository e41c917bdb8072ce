#include "feedback/shake.h"

#include <QPropertyAnimation>
#include <QWidget>

namespace velko {

namespace {

// Puts the window back where the shake began whenever the animation stops:
// at its natural end and on stop(), which emits no finished(). updateState()
// is not called while the animation is being destroyed, so a window that is
// going away is never moved.
class ShakeAnimation : public QPropertyAnimation
{
public:
    ShakeAnimation(QWidget* window, const QPoint& restingOrigin)
        : QPropertyAnimation(window, "pos", window), m_window(window),
          m_restingOrigin(restingOrigin)
    {
    }

protected:
    void updateState(State newState, State oldState) override
    {
        QPropertyAnimation::updateState(newState, oldState);
        if (newState == Stopped)
            m_window->move(m_restingOrigin);
    }

private:
    QWidget* m_window;
    QPoint m_restingOrigin;
};

int segmentCount()
{
    return 2 * numberOfShakes + 1;
}

} // namespace

QList<QPointF> shakePath(const QRectF& frame)
{
    // The coordinates are single precision, as window frames are; the
    // amplitude is worked out afresh for each point.
    const float x = float(frame.x());
    const float y = float(frame.y());
    const float width = float(frame.width());
    QList<QPointF> path;
    path.reserve(segmentCount() + 1);
    path.append(QPointF(x, y));
    for (int swing = 0; swing < numberOfShakes; ++swing) {
        path.append(QPointF(x - width * vigourOfShake, y));
        path.append(QPointF(x + width * vigourOfShake, y));
    }
    path.append(QPointF(x, y)); // the path closes where it began
    return path;
}

QList<ShakeKeyframe> shakeKeyframes(const QRectF& frame)
{
    const QList<QPointF> path = shakePath(frame);
    const int segments = int(path.size()) - 1;
    QList<ShakeKeyframe> keyframes;
    keyframes.reserve(path.size());
    for (int k = 0; k < path.size(); ++k)
        keyframes.append({qreal(k) / segments, path.at(k)});
    return keyframes;
}

QPropertyAnimation* createShakeAnimation(QWidget* window, const QRect& frame)
{
    auto* animation = new ShakeAnimation(window, frame.topLeft());
    animation->setDuration(qRound(durationOfShake * 1000));
    for (const ShakeKeyframe& keyframe : shakeKeyframes(QRectF(frame)))
        animation->setKeyValueAt(keyframe.step, keyframe.origin.toPoint());
    return animation;
}

} // namespace velko
