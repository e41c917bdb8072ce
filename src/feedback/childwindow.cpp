#include "feedback/childwindow.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLayout>
#include <QMargins>
#include <QPointer>
#include <QRect>
#include <QScreen>
#include <QVariant>
#include <QWidget>

#include <vector>

#ifdef VELKO_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#endif

namespace velko {
namespace {

const char* const kOffsetProperty = "velkoChildOffset";

// Moves the attached windows of one parent by the distance the parent moved.
class ChildWindowTracker : public QObject, public QAbstractNativeEventFilter
{
public:
    explicit ChildWindowTracker(QWidget* parent) : QObject(parent), m_parent(parent)
    {
        setObjectName(QStringLiteral("velkoChildWindowTracker"));
        m_lastPosition = parent->frameGeometry().topLeft();
        parent->installEventFilter(this);
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~ChildWindowTracker() override
    {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeNativeEventFilter(this);
    }

    static ChildWindowTracker* of(QWidget* parent, bool create)
    {
        auto* tracker = parent->findChild<ChildWindowTracker*>(
            QStringLiteral("velkoChildWindowTracker"), Qt::FindDirectChildrenOnly);
        if (!tracker && create)
            tracker = new ChildWindowTracker(parent);
        return tracker;
    }

    void attach(QWidget* child)
    {
        for (const auto& existing : m_children) {
            if (existing == child)
                return;
        }
        m_children.emplace_back(child);
        child->installEventFilter(this);
        m_lastPosition = m_parent->frameGeometry().topLeft();
        watchFrameWindow();
    }

    bool detach(QWidget* child)
    {
        for (auto it = m_children.begin(); it != m_children.end(); ++it) {
            if (*it == child) {
                child->removeEventFilter(this);
                m_children.erase(it);
                return true;
            }
        }
        return false;
    }

    bool contains(const QWidget* child) const
    {
        for (const auto& existing : m_children) {
            if (existing == child)
                return true;
        }
        return false;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_parent && event->type() == QEvent::Move)
            followTo(m_parent->frameGeometry().topLeft());
        else if (event->type() == QEvent::WindowTitleChange && watched != m_parent)
            widenForTitle(static_cast<QWidget*>(watched));
        return false;
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
#ifdef VELKO_HAVE_XCB
        if (m_frameWindow == 0 || eventType != "xcb_generic_event_t")
            return false;
        auto* event = static_cast<xcb_generic_event_t*>(message);
        if ((event->response_type & ~0x80) != XCB_CONFIGURE_NOTIFY)
            return false;
        auto* configure = reinterpret_cast<xcb_configure_notify_event_t*>(event);
        if (configure->window == m_frameWindow && !configure->override_redirect)
            followTo(QPoint(configure->x, configure->y));
#else
        Q_UNUSED(eventType);
        Q_UNUSED(message);
#endif
        return false;
    }

private:
    // Widens a window whose title no longer fits, about its centre.
    static void widenForTitle(QWidget* child)
    {
        const int wanted = titleFittingWidth(child);
        if (wanted <= child->width())
            return;
        QRect placed = child->geometry();
        const QPoint centre = placed.center();
        placed.setWidth(wanted);
        placed.moveCenter(centre);
        child->setGeometry(placed);
    }

    void followTo(const QPoint& position)
    {
        const QPoint delta = position - m_lastPosition;
        m_lastPosition = position;
        if (delta.isNull())
            return;
        for (const auto& child : m_children) {
            if (child)
                child->move(child->pos() + delta);
        }
    }

    // The window manager moves its frame window, not ours, during a drag:
    // listen to the frame's structure events so children follow live.
    void watchFrameWindow()
    {
#ifdef VELKO_HAVE_XCB
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            return;
        auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        if (!x11 || !m_parent->windowHandle())
            return;
        xcb_connection_t* connection = x11->connection();
        xcb_window_t window = xcb_window_t(m_parent->winId());
        for (int depth = 0; depth < 8; ++depth) {
            xcb_query_tree_reply_t* tree =
                xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr);
            if (!tree)
                break;
            const xcb_window_t root = tree->root;
            const xcb_window_t parent = tree->parent;
            free(tree);
            if (parent == root || parent == XCB_NONE)
                break;
            window = parent;
        }
        if (window == xcb_window_t(m_parent->winId()) || window == m_frameWindow)
            return;
        m_frameWindow = window;
        const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection, m_frameWindow, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection);
#endif
    }

    QWidget* m_parent;
    std::vector<QPointer<QWidget>> m_children;
    QPoint m_lastPosition;
    quint32 m_frameWindow = 0;
};

} // namespace

void centreOver(QWidget* window, const QWidget* parent)
{
    // A window not yet framed by the window manager is taken to get the
    // frame its parent has.
    QMargins frame(window->geometry().left() - window->frameGeometry().left(),
                   window->geometry().top() - window->frameGeometry().top(),
                   window->frameGeometry().right() - window->geometry().right(),
                   window->frameGeometry().bottom() - window->geometry().bottom());
    if (frame.isNull())
        frame = QMargins(parent->geometry().left() - parent->frameGeometry().left(),
                         parent->geometry().top() - parent->frameGeometry().top(),
                         parent->frameGeometry().right() - parent->geometry().right(),
                         parent->frameGeometry().bottom() - parent->geometry().bottom());
    QRect placed(QPoint(), window->size().grownBy(frame));
    placed.moveCenter(parent->frameGeometry().center());
    // The inner rectangle, so that the position does not depend on what the
    // toolkit guesses of a frame it has not seen yet.
    window->setGeometry(placed.marginsRemoved(frame));
}

namespace {

// Centres its window over the window's parent each time it is shown.
class CentreOnShow : public QObject
{
public:
    explicit CentreOnShow(QWidget* window) : QObject(window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* window = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show && window->parentWidget())
            centreOver(window, window->parentWidget()->window());
        return false;
    }
};

} // namespace

void centreWhenShown(QWidget* window)
{
    new CentreOnShow(window);
}

int titleFittingWidth(const QWidget* window)
{
    QFont font = window->font();
    font.setBold(true);
    // The title bar's buttons and margins beside the text.
    constexpr int kTitleBarExtras = 150;
    const int wanted =
        QFontMetrics(font).horizontalAdvance(window->windowTitle()) + kTitleBarExtras;
    const QScreen* screen = window->screen();
    return qMin(wanted, screen ? screen->availableGeometry().width() * 4 / 5 : 800);
}

void attachChildWindow(QWidget* parent, QWidget* child)
{
    if (child->parentWidget() != parent)
        child->setParent(parent, child->windowFlags() | Qt::Tool);
    ChildWindowTracker* tracker = ChildWindowTracker::of(parent, true);
    if (!tracker->contains(child)) {
        const QVariant offset = child->property(kOffsetProperty);
        const QPoint parentPosition = parent->frameGeometry().topLeft();
        if (offset.isValid()) {
            child->move(parentPosition + offset.toPoint());
        } else {
            // The first time: centred over the parent, at the size its
            // contents give it.
            if (!child->testAttribute(Qt::WA_Resized))
                child->adjustSize();
            else if (child->layout())
                child->layout()->activate();
            child->resize(qMax(child->width(), titleFittingWidth(child)), child->height());
            centreOver(child, parent);
        }
    }
    child->show();
    tracker->attach(child);
    child->raise();
    child->activateWindow();
}

void detachChildWindow(QWidget* parent, QWidget* child)
{
    ChildWindowTracker* tracker = ChildWindowTracker::of(parent, false);
    if (!tracker || !tracker->detach(child))
        return;
    child->setProperty(kOffsetProperty, child->pos() - parent->frameGeometry().topLeft());
    const bool hadKeyboard = child->isActiveWindow();
    child->hide();
    if (hadKeyboard)
        parent->activateWindow();
}

void returnFocusTo(QWidget* widget)
{
    if (!widget || !widget->isVisible())
        return;
    QWidget* window = widget->window();
    window->raise();
    window->activateWindow();
    widget->setFocus(Qt::OtherFocusReason);
}

bool isChildWindowAttached(const QWidget* parent, const QWidget* child)
{
    auto* tracker = ChildWindowTracker::of(const_cast<QWidget*>(parent), false);
    return tracker && tracker->contains(child) && child->isVisible();
}

} // namespace velko
