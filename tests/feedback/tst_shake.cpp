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
    void originBetweenKeyframesIsLinear();
    void windowPassesThePathAtTheDesignedTimes();
    void windowEndsWhereItBegan();
    void stopEarlyPutsWindowBack();
    void secondShakeIsBuiltFromTheFrameAtThatMoment();

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

void ShakeTest::originBetweenKeyframesIsLinear()
{
    const QRectF frame(100, 50, 400, 300);
    const qreal segment = 0.5 / 17;
    QCOMPARE(shakeOriginAt(frame, 0), QPointF(100, 50));
    QCOMPARE(shakeOriginAt(frame, segment / 2), QPointF(90, 50));
    QCOMPARE(shakeOriginAt(frame, segment * 1.5), QPointF(100, 50));
    QCOMPARE(shakeOriginAt(frame, segment * 16.5), QPointF(110, 50));
    QCOMPARE(shakeOriginAt(frame, 0.5), QPointF(100, 50));
    QCOMPARE(shakeOriginAt(frame, 3.0), QPointF(100, 50));
}

void ShakeTest::windowPassesThePathAtTheDesignedTimes()
{
    auto window = exposedWindow(QRect(200, 150, 400, 120));
    QVERIFY(window);
    const QRect frame = window->frameGeometry();
    QCOMPARE(frame.topLeft(), QPoint(200, 150));
    const int swing = qRound(frame.width() * 0.05);
    QPropertyAnimation* shake = createShakeAnimation(window.get(), frame);
    QCOMPARE(shake->duration(), 500);
    QCOMPARE(window->pos(), frame.topLeft()); // building it moves nothing
    shake->start();
    shake->pause();
    // On the keyframes the window is at a swing's end, the first one left.
    shake->setCurrentTime(qRound(500.0 / 17 * 1));
    QVERIFY(qAbs(window->x() - (200 - swing)) <= 1);
    shake->setCurrentTime(qRound(500.0 / 17 * 16));
    QVERIFY(qAbs(window->x() - (200 + swing)) <= 1);
    // Reaching the end stops the animation: the last time is checked last.
    for (int k = 0; k <= 17; ++k) {
        const int ms = qRound(k * 500.0 / 17);
        shake->setCurrentTime(ms);
        const QPointF expected = shakeOriginAt(QRectF(frame), ms / 1000.0);
        QVERIFY2(
            qAbs(window->x() - expected.x()) <= 1,
            qPrintable(
                QStringLiteral("k=%1 x=%2 expected %3").arg(k).arg(window->x()).arg(expected.x())));
        QCOMPARE(window->y(), frame.y());
    }
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

void ShakeTest::secondShakeIsBuiltFromTheFrameAtThatMoment()
{
    const QRect frame(300, 200, 400, 100);
    auto window = exposedWindow(frame);
    QVERIFY(window);
    QPropertyAnimation* first = createShakeAnimation(window.get(), window->frameGeometry());
    first->start();
    first->setCurrentTime(100);
    // The caller stops the running shake, then reads the frame afresh.
    first->stop();
    delete first;
    const QRect restingFrame = window->frameGeometry();
    QCOMPARE(restingFrame.topLeft(), frame.topLeft());
    QPropertyAnimation* second = createShakeAnimation(window.get(), restingFrame);
    QSignalSpy finished(second, &QAbstractAnimation::finished);
    second->start();
    QVERIFY(finished.wait(3000));
    QCOMPARE(window->pos(), frame.topLeft());

    // A window moved since shakes about its new place.
    window->move(500, 260);
    QCoreApplication::processEvents();
    QPropertyAnimation* third = createShakeAnimation(window.get(), window->frameGeometry());
    third->start();
    third->setCurrentTime(qRound(500.0 / 17 * 2));
    QVERIFY(qAbs(window->x() - 520) <= 1);
    third->setCurrentTime(500);
    QCOMPARE(window->pos(), QPoint(500, 260));
    delete third;
}

QTEST_MAIN(ShakeTest)
#include "tst_shake.moc"
