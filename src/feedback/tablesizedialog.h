#pragma once

#include <QDialog>

class QSpinBox;

namespace velko {

// Asks how many rows and columns a new table has.
class TableSizeDialog : public QDialog
{
    Q_OBJECT
public:
    TableSizeDialog(QWidget* parent, int maxRows, int maxColumns);

    int rows() const;
    int columns() const;

private:
    QSpinBox* m_rows;
    QSpinBox* m_columns;
};

} // namespace velko
