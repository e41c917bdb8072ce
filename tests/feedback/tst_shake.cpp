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
    void pathSwingsLeftFirstAndCloses_data()
    {
        QTest::addColumn<QRectF>("frame");
        QTest::addColumn<qreal>("amplitude");
        QTest::newRow("400 wide") << QRectF(100, 50, 400, 300) << qreal(20);
        QTest::newRow("zero width") << QRectF(10, 20, 0, 100) << qreal(0);
        QTest::newRow("odd width") << QRectF(7, 8, 410, 100) << qreal(20.5);
    }

    void pathSwingsLeftFirstAndCloses()
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

    void windowPassesThePathAtTheDesignedTimes()
    {
        auto window = std::make_unique<QWidget>();
        window->resize(400, 120);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get())); // else late events undo the move
        window->move(200, 150);
        QCoreApplication::processEvents();
        const QRect frame = window->frameGeometry();
        QPropertyAnimation* shake = createShakeAnimation(window.get(), frame);
        QCOMPARE(window->pos(), frame.topLeft()); // building it moves nothing
        shake->start();
        shake->pause();
        // At k * 0.5 / 17 s the window is at point k of the path. Times are whole
        // milliseconds: allow the distance moved in half a millisecond.
        const QList<QPointF> path = shakePath(QRectF(frame));
        for (int k = 0; k <= 17; ++k) {
            shake->setCurrentTime(qRound(k * 500.0 / 17));
            QVERIFY2(qAbs(window->x() - path.at(k).x()) <= 2,
                     qPrintable(QStringLiteral("k=%1 x=%2").arg(k).arg(window->x())));
            QCOMPARE(window->y(), frame.y());
        }
        QCOMPARE(window->frameGeometry(), frame);
        delete shake;

        // Stopped early, at a left swing, it puts the window back unfinished.
        shake = createShakeAnimation(window.get(), frame);
        QSignalSpy finished(shake, &QAbstractAnimation::finished);
        shake->start();
        shake->setCurrentTime(qRound(500.0 / 17 * 3));
        QVERIFY(window->x() < frame.x() - 15);
        shake->stop();
        QCOMPARE(finished.count(), 0);
        QCOMPARE(window->pos(), frame.topLeft());
        delete shake;
        // Destroying the window with a running shake on it is safe.
        createShakeAnimation(window.get(), frame)->start();
        window.reset();
    }
};

QTEST_MAIN(ShakeTest)
#include "tst_shake.moc"
