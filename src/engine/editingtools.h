#pragma once

#include "core/result.h"
#include "engine/textedit/textinsert.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTextCharFormat>
#include <QTextListFormat>

#include <functional>

class QAction;
class QComboBox;
class QFileDialog;
class QFontComboBox;
class QMainWindow;
class QTextCursor;
class QToolBar;

namespace velko {

class Engine;
class FindBar;
class TableSizeDialog;
class VelkoTextView;
class ViewZoom;

// The rich-text tools of the document window: the Edit, Format and View
// commands, the format toolbar, the find bar, Print and Export as PDF.
// Every change of text or format goes through the view's ordinary editing,
// so it counts as the user's edit. While the view is read-only the commands
// that would change the text are disabled.
class EditingTools : public QObject
{
    Q_OBJECT
public:
    EditingTools(VelkoTextView* view, QMainWindow* window, Engine* engine);
    ~EditingTools() override;

    // Every action by object name ("formatBold", "editUndo", "viewZoomIn"...).
    QAction* action(const QString& name) const { return m_actions.value(name); }
    const QHash<QString, QAction*>& actions() const { return m_actions; }
    VelkoTextView* view() const;
    QToolBar* formatBar() const { return m_formatBar; }
    QFontComboBox* fontFamilyBox() const { return m_fontFamily; }
    QComboBox* fontSizeBox() const { return m_fontSize; }
    FindBar* findBar() const { return m_findBar; }
    ViewZoom* zoom() const { return m_zoom; }

    // Writes the whole document as a PDF file at `path`, replacing it only
    // once the PDF is complete.
    Status exportPdfTo(const QString& path);

public slots:
    // Character formats: on the selection, or on what is typed next.
    void setFontFamily(const QString& family);
    void setFontSize(qreal pointSize);
    void setBold(bool on);
    void setItalic(bool on);
    void setUnderline(bool on);
    void setStrikeOut(bool on);
    void setSuperscript(bool on);
    void setSubscript(bool on);
    void setTextColor(const QColor& color);
    void setHighlightColor(const QColor& color);
    void clearFormatting();
    void chooseFont();
    void chooseTextColor();
    void chooseHighlightColor();

    // Paragraph formats: on every paragraph the selection touches.
    void setAlignment(Qt::Alignment alignment);
    void changeIndent(int levels);
    void setList(QTextListFormat::Style style, bool on);

    void pastePlainText();

    // Insert Table…: asks for the rows and columns, then inserts the table.
    void chooseTableSize();
    // Insert Picture…: asks for a picture file, then inserts it.
    void choosePicture();
    // Rows and columns of the table at the cursor.
    void changeTable(textinsert::TableChange change);
    // Inserts the picture in the file at `path` at the cursor.
    Status insertPictureFile(const QString& path);

    void printDocument();
    void exportAsPdf();

private:
    // editingtools_actions.cpp
    void buildActions();
    void dropClashingShortcuts();
    void buildFormatBar();

    void connectView();
    // Runs a character format command on the view's cursor; the view takes
    // the cursor back, with the format for what is typed next.
    void formatCharacters(const std::function<void(QTextCursor&)>& command);
    void applyFontSizeText(const QString& text);

    // editingtools_insert.cpp
    void tableSizeAnswered(int result);
    void pictureAnswered(QFileDialog* panel, int returnCode, void* contextInfo);

    void showCharFormat(const QTextCharFormat& format);
    void showBlockFormat();
    void updateEnabled();

    bool eventFilter(QObject* watched, QEvent* event) override;

    QPointer<VelkoTextView> m_view;
    QMainWindow* m_window;
    Engine* m_engine;
    QHash<QString, QAction*> m_actions;
    QList<QAction*> m_changingActions; // disabled while the view is read-only
    QList<QAction*> m_standardKeys;    // actions with the platform's shortcuts
    QList<QAction*> m_tableActions;    // enabled in a table only
    QToolBar* m_formatBar = nullptr;
    QFontComboBox* m_fontFamily = nullptr;
    QComboBox* m_fontSize = nullptr;
    FindBar* m_findBar = nullptr;
    ViewZoom* m_zoom = nullptr;
    QPointer<TableSizeDialog> m_tableSizeDialog;
};

} // namespace velko
