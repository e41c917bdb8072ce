#pragma once

#include "engine/textedit/findreplace.h"

#include <QPointer>
#include <QString>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace velko {

class VelkoTextView;

// The find and replace bar shown under the document text. Searches and
// replaces in the view's current document; Replace and Replace All are
// disabled while the view cannot be edited.
class FindBar : public QWidget
{
    Q_OBJECT
public:
    explicit FindBar(VelkoTextView* view, QWidget* parent = nullptr);

    QLineEdit* findField() const { return m_findField; }
    QLineEdit* replaceField() const { return m_replaceField; }
    QCheckBox* matchCaseBox() const { return m_matchCase; }
    QCheckBox* wholeWordsBox() const { return m_wholeWords; }
    // What the last search or replacement did ("Not found", "3 replaced"...).
    QString statusText() const;

    FindOptions options() const;

public slots:
    // Shows the bar with the find field focused, holding the selected text.
    void showFind();
    // As showFind, with the replace row visible.
    void showReplace();
    void findNext();
    void findPrevious();
    void replaceOne();
    void replaceAllOccurrences();
    void updateEditable();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void find(FindDirection direction);
    void open(bool withReplace);

    QPointer<VelkoTextView> m_view;
    QLineEdit* m_findField = nullptr;
    QLineEdit* m_replaceField = nullptr;
    QCheckBox* m_matchCase = nullptr;
    QCheckBox* m_wholeWords = nullptr;
    QPushButton* m_replaceButton = nullptr;
    QPushButton* m_replaceAllButton = nullptr;
    QWidget* m_replaceRow = nullptr;
    QLabel* m_status = nullptr;
};

} // namespace velko
