// The sideways shake that answers a keyword mismatch, on a real window.
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
    // At k * 0.5 / 17 s the window is at stop k: 20 px (a twentieth of its
    // width) left, right, eight times, then back. Stopped early it puts the
    // window back; a window may go with a shake running on it.
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
        for (int k = 0; k <= 17; ++k) {
            shake->setCurrentTime(qRound(k * 500.0 / 17));
            const int expected = k == 0 || k == 17 ? frame.x() : frame.x() + (k % 2 ? -20 : 20);
            // Times are whole milliseconds: allow the distance moved in half of one.
            QVERIFY2(qAbs(window->x() - expected) <= 2,
                     qPrintable(QStringLiteral("k=%1 x=%2").arg(k).arg(window->x())));
            QCOMPARE(window->y(), frame.y());
        }
        QCOMPARE(window->frameGeometry(), frame);
        delete shake;

        shake = createShakeAnimation(window.get(), frame);
        QSignalSpy finished(shake, &QAbstractAnimation::finished);
        shake->start();
        shake->setCurrentTime(qRound(500.0 / 17 * 3));
        QVERIFY(window->x() < frame.x() - 15);
        shake->stop();
        QCOMPARE(finished.count(), 0);
        QCOMPARE(window->pos(), frame.topLeft());
        delete shake;
        createShakeAnimation(window.get(), frame)->start();
        window.reset();
    }
};

QTEST_MAIN(ShakeTest)
#include "tst_shake.moc"
