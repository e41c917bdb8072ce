#include "feedback/velkofield_delegate.h"

#include "core/documentstate.h"
#include "feedback/colors.h"
#include "feedback/velkotextview.h"

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

void setLabelColor(QLabel* label, const QColor& color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

QColor labelColor(const QLabel* label)
{
    return label->palette().color(QPalette::WindowText);
}

} // namespace velko
