#pragma once

#include <QImage>
#include <QObject>
#include <QPointer>

class QTextDocument;

namespace velko {

class VelkoTextView;

// The magnification of a text view, in steps from half to four times the
// actual size. The text is laid out for a device of higher (or lower)
// resolution than the screen, so every size grows (or shrinks) alike: the
// document itself, its fonts and its default font stay as they are. A new
// document put in the view is shown at the same magnification.
class ViewZoom : public QObject
{
    Q_OBJECT
public:
    ViewZoom(VelkoTextView* view, QObject* parent);
    ~ViewZoom() override;

    // 1 is actual size.
    qreal factor() const { return m_factor; }

public slots:
    void zoomIn();
    void zoomOut();
    void actualSize();

private:
    void apply();

    QPointer<VelkoTextView> m_view;
    qreal m_factor = 1.0;
    QImage m_device; // lays text out at the zoomed resolution
    QPointer<QTextDocument> m_zoomedDocument;
};

} // namespace velko
