#include "feedback/tablesizedialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QSpinBox>

namespace velko {

namespace {

QSpinBox* countBox(QWidget* parent, const char* name, const QString& label, int value, int max)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(1, max);
    box->setValue(value);
    box->setAccessibleName(label);
    return box;
}

} // namespace

TableSizeDialog::TableSizeDialog(QWidget* parent, int maxRows, int maxColumns) : QDialog(parent)
{
    setObjectName(QStringLiteral("tableSizeDialog"));
    setWindowTitle(tr("Insert Table"));
    m_rows = countBox(this, "tableRows", tr("Rows"), 2, maxRows);
    m_columns = countBox(this, "tableColumns", tr("Columns"), 2, maxColumns);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(tr("&Insert"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout(this);
    form->addRow(tr("&Rows:"), m_rows);
    form->addRow(tr("&Columns:"), m_columns);
    form->addRow(buttons);
}

int TableSizeDialog::rows() const
{
    return m_rows->value();
}

int TableSizeDialog::columns() const
{
    return m_columns->value();
}

} // namespace velko
