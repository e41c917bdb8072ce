#include "feedback/viewzoom.h"

#include "feedback/velkotextview.h"

#include <QAbstractTextDocumentLayout>
#include <QTextDocument>

#include <iterator>

namespace velko {

namespace {

constexpr qreal kZoomSteps[] = {0.5, 0.67, 0.8, 0.9, 1.0, 1.1, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0, 4.0};

} // namespace

ViewZoom::ViewZoom(VelkoTextView* view, QObject* parent) : QObject(parent), m_view(view)
{
    // A command may have put a new document in the view.
    connect(view, &QTextEdit::textChanged, this, [this] {
        if (m_factor != 1.0 && m_view->document() != m_zoomedDocument)
            apply();
    });
}

ViewZoom::~ViewZoom()
{
    // The zoom device dies with us: no layout may keep pointing at it.
    if (m_view && m_zoomedDocument && m_zoomedDocument->documentLayout())
        m_zoomedDocument->documentLayout()->setPaintDevice(nullptr);
}

void ViewZoom::zoomIn()
{
    for (qreal step : kZoomSteps) {
        if (step > m_factor + 0.001) {
            m_factor = step;
            break;
        }
    }
    apply();
}

void ViewZoom::zoomOut()
{
    for (auto it = std::crbegin(kZoomSteps); it != std::crend(kZoomSteps); ++it) {
        if (*it < m_factor - 0.001) {
            m_factor = *it;
            break;
        }
    }
    apply();
}

void ViewZoom::actualSize()
{
    m_factor = 1.0;
    apply();
}

void ViewZoom::apply()
{
    QTextDocument* document = m_view->document();
    if (m_zoomedDocument && m_zoomedDocument != document && m_zoomedDocument->documentLayout())
        m_zoomedDocument->documentLayout()->setPaintDevice(nullptr);
    QPaintDevice* device = nullptr;
    if (qAbs(m_factor - 1.0) > 0.001) {
        m_device = QImage(1, 1, QImage::Format_ARGB32_Premultiplied);
        const int dotsPerMeter = qRound(m_factor * m_view->logicalDpiY() / 0.0254);
        m_device.setDotsPerMeterX(dotsPerMeter);
        m_device.setDotsPerMeterY(dotsPerMeter);
        device = &m_device;
    }
    {
        VelkoTextView::CodeChange change(m_view);
        document->documentLayout()->setPaintDevice(device);
        document->markContentsDirty(0, document->characterCount());
    }
    m_zoomedDocument = device ? document : nullptr;
    m_view->viewport()->update();
    m_view->ensureCursorVisible();
}

} // namespace velko
