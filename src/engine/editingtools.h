#pragma once

#include "core/result.h"

#include <QHash>
#include <QImage>
#include <QKeySequence>
#include <QObject>
#include <QPointer>
#include <QTextCharFormat>
#include <QTextListFormat>

class QAction;
class QComboBox;
class QFontComboBox;
class QMainWindow;
class QTextDocument;
class QToolBar;

namespace velko {

class Engine;
class FindBar;
class VelkoTextView;

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
    QToolBar* formatBar() const { return m_formatBar; }
    QFontComboBox* fontFamilyBox() const { return m_fontFamily; }
    QComboBox* fontSizeBox() const { return m_fontSize; }
    FindBar* findBar() const { return m_findBar; }

    // The view's magnification; 1 is actual size.
    qreal zoomFactor() const { return m_zoomFactor; }

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

    void zoomIn();
    void zoomOut();
    void actualSize();

    void printDocument();
    void exportAsPdf();

private:
    QAction* addAction(const QString& name, const QString& text, const QKeySequence& shortcut);
    QAction* addAction(const QString& name, const QString& text, QKeySequence::StandardKey key);
    void dropClashingShortcuts();
    void buildEditActions();
    void buildFormatActions();
    void buildViewAndFileActions();
    void buildFormatBar();
    void connectView();

    void mergeFormat(const QTextCharFormat& format);
    void applyFontSizeText(const QString& text);
    void setListOn(QTextListFormat::Style style);
    void setListOff();
    void applyZoom();

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
    QToolBar* m_formatBar = nullptr;
    QFontComboBox* m_fontFamily = nullptr;
    QComboBox* m_fontSize = nullptr;
    FindBar* m_findBar = nullptr;

    qreal m_zoomFactor = 1.0;
    QImage m_zoomDevice; // lays text out at the zoomed resolution
    QPointer<QTextDocument> m_zoomedDocument;
};

} // namespace velko
