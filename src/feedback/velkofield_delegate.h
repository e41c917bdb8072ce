#pragma once

#include <QObject>

class QLabel;

namespace velko {

struct DocumentState;
class VelkoTextView;

// Delegate of the text view: turns each user edit into the document's
// "changed" state.
class VelkoField_delegate : public QObject
{
    Q_OBJECT
public:
    explicit VelkoField_delegate(QObject* parent = nullptr);

    // Outlets, wired by the window layout.
    VelkoTextView* VelkoField = nullptr;
    QLabel* fileNameTextField = nullptr;
    DocumentState* state = nullptr;

    void connectToView();

public slots:
    void textDidChange();
};

// The label's text colour (the edit indicator); shown in a lighter shade
// while the window is dark.
void setLabelColor(QLabel* label, const QColor& color);
QColor labelColor(const QLabel* label);

} // namespace velko
