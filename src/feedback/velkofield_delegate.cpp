#include "feedback/velkofield_delegate.h"

#include "core/documentstate.h"
#include "feedback/colors.h"
#include "feedback/velkotextview.h"

#include <QEvent>
#include <QLabel>

namespace velko {

VelkoField_delegate::VelkoField_delegate(QObject* parent) : QObject(parent) {}

void VelkoField_delegate::connectToView()
{
    connect(VelkoField, &VelkoTextView::userTextChanged, this, &VelkoField_delegate::textDidChange);
}

void VelkoField_delegate::textDidChange()
{
    state->textChanged = true;
    setLabelColor(fileNameTextField, colors::fileNameLabel(state->textChanged));
    if (state->textColorSetToOrangeAfterEncryption) {
        VelkoField->setWholeTextColorFromCode(colors::black());
        state->textColorSetToOrangeAfterEncryption = false;
    }
}

namespace {

const char* const kLabelColorProperty = "velkoLabelColor";

// Draws the label's colour so that it reads on the window behind it: on a
// dark window, a light shade of the same hue.
class LabelShade : public QObject
{
public:
    explicit LabelShade(QLabel* label) : QObject(label)
    {
        setObjectName(QStringLiteral("velkoLabelShade"));
        label->installEventFilter(this);
    }

    static void apply(QLabel* label)
    {
        const QColor color = label->property(kLabelColorProperty).value<QColor>();
        const bool darkWindow = label->palette().color(QPalette::Window).lightness() < 128;
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText,
                         darkWindow ? QColor::fromHsl(color.hslHue(), color.hslSaturation(), 170)
                                    : color);
        label->setPalette(palette);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::PaletteChange && !m_applying) {
            m_applying = true;
            apply(static_cast<QLabel*>(watched));
            m_applying = false;
        }
        return false;
    }

private:
    bool m_applying = false;
};

} // namespace

void setLabelColor(QLabel* label, const QColor& color)
{
    label->setProperty(kLabelColorProperty, color);
    if (!label->findChild<QObject*>(QStringLiteral("velkoLabelShade"), Qt::FindDirectChildrenOnly))
        new LabelShade(label);
    LabelShade::apply(label);
}

QColor labelColor(const QLabel* label)
{
    return label->property(kLabelColorProperty).value<QColor>();
}

} // namespace velko
