// A seeded monkey: random mouse and key events over the main, live and image windows and
// their bars. It fails on a crash, on an event that takes more than a second, and (through
// a watchdog) on a hang; sanitizer reports fail it in sanitized builds. KWZ_MONKEY_EVENTS sets
// the count (2,000 by default), KWZ_MONKEY_SEED another run or a failed one again (a fixed
// seed by default, so the suite is the same every time); the seed is printed first.

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMenu>
#include <QPointer>
#include <QRandomGenerator>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "app/image/image_frame.h"
#include "app/shell/command_ids.h"
#include "live_program.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
#define KWZ_MONKEY_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KWZ_MONKEY_SANITIZED 1
#endif
#endif

// An event that takes longer counts as a hang; the sanitizers make every step a few times
// slower, so their builds allow for it.
#ifdef KWZ_MONKEY_SANITIZED
constexpr qint64 kHangMs = 3000;
#else
constexpr qint64 kHangMs = 1000;
#endif

int fromEnvironment(const char* name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok ? value : fallback;
}

// Aborts the process, naming the seed and step, when no event completes for 20 seconds.
class Watchdog
{
  public:
    Watchdog(quint32 seed) : seed_(seed)
    {
        thread_ = std::thread([this] {
            int quiet = 0;
            uint64_t seen = 0;
            while (!done_.load())
            {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                const uint64_t now = step_.load();
                quiet = now == seen ? quiet + 1 : 0;
                seen = now;
                if (quiet > 200)
                {
                    std::fprintf(stderr, "monkey: hang at step %llu, KWZ_MONKEY_SEED=%u\n",
                                 static_cast<unsigned long long>(now), seed_);
                    std::abort();
                }
            }
        });
    }
    ~Watchdog()
    {
        done_ = true;
        thread_.join();
    }
    void step() { ++step_; }

  private:
    quint32 seed_;
    std::atomic<uint64_t> step_{0};
    std::atomic<bool> done_{false};
    std::thread thread_;
};

class MonkeyTest : public QObject
{
    Q_OBJECT

  private Q_SLOTS:
    void randomEventsOverEveryWindowNeitherCrashNorHang()
    {
        const quint32 seed = quint32(fromEnvironment("KWZ_MONKEY_SEED", 20261208));
        const int events = fromEnvironment("KWZ_MONKEY_EVENTS", 2000);
        std::fprintf(stderr, "monkey: KWZ_MONKEY_SEED=%u KWZ_MONKEY_EVENTS=%d\n", seed, events);
        QRandomGenerator random(seed);

        Program program;
        QVERIFY(program.run->started);
        CMainFrame* frame = program.frame();
        frame->show();
        QVERIFY(program.connect());
        // An image window beside the live one.
        program.home.write("picture.bmp", tinyBmp());
        QVERIFY(program.run->app.openDocumentFile(program.home.path("picture.bmp")));
        // The monkey stays in the program: leaving it would end the run, not test it.
        frame->action(cmd::ID_APP_EXIT)->setEnabled(false);

        // Menus and dialogs that a click opens are closed again from their own event loops.
        QTimer closer;
        closer.setInterval(50);
        QObject::connect(&closer, &QTimer::timeout, [] {
            if (QWidget* popup = QApplication::activePopupWidget())
                popup->close();
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->reject();
        });
        closer.start();

        static const Qt::Key kKeys[] = {
            Qt::Key_A,      Qt::Key_B,    Qt::Key_C,      Qt::Key_E,        Qt::Key_F,
            Qt::Key_G,      Qt::Key_L,    Qt::Key_M,      Qt::Key_P,        Qt::Key_R,
            Qt::Key_S,      Qt::Key_T,    Qt::Key_V,      Qt::Key_W,        Qt::Key_X,
            Qt::Key_Z,      Qt::Key_1,    Qt::Key_5,      Qt::Key_Escape,   Qt::Key_Return,
            Qt::Key_Delete, Qt::Key_Left, Qt::Key_Right,  Qt::Key_Up,       Qt::Key_Down,
            Qt::Key_Space,  Qt::Key_Tab,  Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Backspace};
        static const Qt::KeyboardModifiers kModifiers[] = {
            Qt::NoModifier, Qt::NoModifier, Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier};

        Watchdog watchdog(seed);
        QString last;
        QElapsedTimer clock;
        int reopened = 0;
        for (int i = 0; i < events; ++i)
        {
            // Windows the monkey closed come back, so every kind stays under attack.
            if (i % 100 == 0)
            {
                if (!program.run->app.documents().FindVideoFrame())
                {
                    frame->onConnect();
                    ++reopened;
                }
                if (frame->findChildren<CImageFrame*>().isEmpty())
                {
                    program.run->app.openDocumentFile(program.home.path("picture.bmp"));
                    ++reopened;
                }
            }
            // Whatever is on screen now: the main frame and everything inside it.
            QList<QWidget*> targets;
            for (QWidget* w : frame->findChildren<QWidget*>())
                // Menus and dialogs are windows of their own, closed by the timer above; an
                // item such as Exit would end the run.
                if (!w->isWindow() && w->isVisible() && w->isEnabled() && w->width() > 0 &&
                    w->height() > 0)
                    targets << w;
            QVERIFY2(!targets.isEmpty(),
                     qPrintable(QString("nothing to aim at after %1 events, the main frame %2 "
                                        "(KWZ_MONKEY_SEED=%3); last: %4")
                                    .arg(i)
                                    .arg(frame->isVisible() ? "shown" : "hidden")
                                    .arg(seed)
                                    .arg(last)));
            QPointer<QWidget> target = targets[int(random.bounded(quint32(targets.size())))];
            const QPoint at(int(random.bounded(quint32(target->width()))),
                            int(random.bounded(quint32(target->height()))));
            const Qt::KeyboardModifiers modifiers = kModifiers[random.bounded(5u)];
            const Qt::MouseButton button =
                random.bounded(4u) == 0 ? Qt::RightButton : Qt::LeftButton;
            const quint32 kind = random.bounded(8u);
            const QString named = target->toolTip().isEmpty()
                                      ? target->objectName()
                                      : target->toolTip().section(QLatin1Char('\n'), 0, 0);
            last = QString("%1 on %2 \"%6\" at %3,%4 modifiers %5")
                       .arg(kind)
                       .arg(target->metaObject()->className())
                       .arg(at.x())
                       .arg(at.y())
                       .arg(int(modifiers))
                       .arg(named);
            clock.start();
            switch (kind)
            {
            case 0:
            case 1:
                QTest::mouseClick(target, button, modifiers, at);
                break;
            case 2: {
                // A drag: press, a few moves, release.
                QTest::mousePress(target, button, modifiers, at);
                for (int k = 0; k < 3 && target; ++k)
                    QTest::mouseMove(target, at + QPoint(int(random.bounded(40u)) - 20,
                                                         int(random.bounded(40u)) - 20));
                if (target)
                    QTest::mouseRelease(target, button, modifiers, at);
                break;
            }
            case 3:
                QTest::mouseMove(target, at);
                break;
            case 4:
                QTest::mouseDClick(target, button, modifiers, at);
                break;
            case 5: {
                QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(),
                                  QPoint(0, random.bounded(2u) ? 120 : -120), Qt::NoButton,
                                  modifiers, Qt::NoScrollPhase, false);
                QApplication::sendEvent(target, &wheel);
                break;
            }
            default:
                QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget()
                                                            : target.data(),
                                kKeys[random.bounded(quint32(std::size(kKeys)))], modifiers);
                break;
            }
            QApplication::processEvents();
            watchdog.step();
            const qint64 took = clock.elapsed();
            if (took > kHangMs)
                QFAIL(qPrintable(QString("event %1 (%2) took %3 ms (KWZ_MONKEY_SEED=%4)")
                                     .arg(i)
                                     .arg(last)
                                     .arg(took)
                                     .arg(seed)));
            QVERIFY2(program.frame() == frame, "the main frame is still there");
        }
        closer.stop();
        std::fprintf(stderr, "monkey: %d events, windows reopened %d times\n", events, reopened);
    }
};

} // namespace

std::unique_ptr<QObject> makeMonkeyTest()
{
    return std::make_unique<MonkeyTest>();
}

#include "monkey_test.moc"
