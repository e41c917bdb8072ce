#include "feedback/shake.h"

#include <QPropertyAnimation>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <memory>

using namespace velko;

class ShakeTest : public QObject
{
    Q_OBJECT

private slots:
    void pathSwingsLeftFirstAndCloses_data();
    void pathSwingsLeftFirstAndCloses();
    void keyframesShareTheDurationEvenly();
    void windowPassesThePathAtTheDesignedTimes();
    void windowEndsWhereItBegan();
    void stopEarlyPutsWindowBack();

private:
    std::unique_ptr<QWidget> exposedWindow(const QRect& geometry);
};

std::unique_ptr<QWidget> ShakeTest::exposedWindow(const QRect& geometry)
{
    auto window = std::make_unique<QWidget>();
    window->resize(geometry.size());
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        return nullptr;
    window->move(geometry.topLeft());
    QCoreApplication::processEvents();
    return window;
}

void ShakeTest::pathSwingsLeftFirstAndCloses_data()
{
    QTest::addColumn<QRectF>("frame");
    QTest::addColumn<qreal>("amplitude");
    QTest::newRow("400 wide") << QRectF(100, 50, 400, 300) << qreal(20);
    QTest::newRow("300 wide") << QRectF(0, 0, 300, 10) << qreal(15);
    QTest::newRow("480 wide") << QRectF(-40, 900, 480, 200) << qreal(24);
    QTest::newRow("zero width") << QRectF(10, 20, 0, 100) << qreal(0);
    QTest::newRow("odd width") << QRectF(7, 8, 410, 100) << qreal(20.5);
}

void ShakeTest::pathSwingsLeftFirstAndCloses()
{
    QFETCH(QRectF, frame);
    QFETCH(qreal, amplitude);
    const QList<QPointF> path = shakePath(frame);
    QCOMPARE(path.size(), 18);
    QCOMPARE(path.first(), frame.topLeft());
    QCOMPARE(path.last(), frame.topLeft());
    for (int k = 1; k <= 16; ++k) {
        const qreal expectedX = (k % 2 == 1) ? frame.x() - amplitude : frame.x() + amplitude;
        QVERIFY2(qAbs(path.at(k).x() - expectedX) < 1e-4, qPrintable(QString::number(k)));
        QCOMPARE(path.at(k).y(), frame.y()); // the height plays no part
    }
}

void ShakeTest::keyframesShareTheDurationEvenly()
{
    const QList<ShakeKeyframe> keyframes = shakeKeyframes(QRectF(0, 0, 400, 100));
    QCOMPARE(keyframes.size(), 18);
    for (int k = 0; k < keyframes.size(); ++k)
        QVERIFY(qFuzzyCompare(1 + keyframes.at(k).step, 1 + qreal(k) / 17));
    QCOMPARE(keyframes.last().step, qreal(1));
}

void ShakeTest::windowPassesThePathAtTheDesignedTimes()
{
    auto window = exposedWindow(QRect(200, 150, 400, 120));
    QVERIFY(window);
    const QRect frame = window->frameGeometry();
    QCOMPARE(frame.topLeft(), QPoint(200, 150));
    QPropertyAnimation* shake = createShakeAnimation(window.get(), frame);
    QCOMPARE(shake->duration(), 500);
    QCOMPARE(window->pos(), frame.topLeft()); // building it moves nothing
    shake->start();
    shake->pause();
    // At k * 0.5 / 17 s the window is at point k of the path: left first,
    // then right, back at the start at the end. Times are whole
    // milliseconds, so allow the distance moved in half a millisecond.
    const QList<QPointF> path = shakePath(QRectF(frame));
    for (int k = 0; k <= 17; ++k) {
        shake->setCurrentTime(qRound(k * 500.0 / 17));
        QVERIFY2(qAbs(window->x() - path.at(k).x()) <= 2,
                 qPrintable(QStringLiteral("k=%1 x=%2").arg(k).arg(window->x())));
        QCOMPARE(window->y(), frame.y());
    }
    // Reaching the end stopped it.
    QCOMPARE(shake->state(), QAbstractAnimation::Stopped);
    QCOMPARE(window->frameGeometry(), frame);
    delete shake;
}

void ShakeTest::windowEndsWhereItBegan()
{
    auto window = exposedWindow(QRect(321, 123, 301, 77)); // the swing is fractional
    QVERIFY(window);
    const QRect frame = window->frameGeometry();
    QPropertyAnimation* shake = createShakeAnimation(window.get(), frame);
    QSignalSpy finished(shake, &QAbstractAnimation::finished);
    bool movedAway = false;
    connect(shake, &QVariantAnimation::valueChanged, this,
            [&](const QVariant& value) { movedAway |= value.toPoint() != frame.topLeft(); });
    shake->start(QAbstractAnimation::DeleteWhenStopped);
    QVERIFY(finished.wait(3000));
    QVERIFY(movedAway);
    QCOMPARE(window->frameGeometry(), frame);
}

void ShakeTest::stopEarlyPutsWindowBack()
{
    const QRect frame(300, 200, 400, 100);
    auto window = exposedWindow(frame);
    QVERIFY(window);
    QPropertyAnimation* shake = createShakeAnimation(window.get(), window->frameGeometry());
    QSignalSpy finished(shake, &QAbstractAnimation::finished);
    shake->start();
    shake->setCurrentTime(qRound(500.0 / 17 * 3)); // at a left swing
    QVERIFY(window->x() < frame.x() - 15);
    shake->stop();
    QCOMPARE(finished.count(), 0);
    QCOMPARE(window->pos(), frame.topLeft());
    delete shake;
    // Destroying the window with a running shake on it is safe.
    QPropertyAnimation* running = createShakeAnimation(window.get(), window->frameGeometry());
    running->start();
    window.reset();
}

QTEST_MAIN(ShakeTest)
#include "tst_shake.moc"
