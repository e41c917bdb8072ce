// Spell checking over the real en_US Hunspell dictionary: the dictionary
// choice, misspelled words and suggestions, where added words are kept, and
// the underline marks that never reach the document.
#include "engine/spell/spellchecker.h"
#include "engine/spell/spellhighlighter.h"
#include "feedback/spellcheckview.h"
#include "feedback/velkotextview.h"
#include "testfiles.h"

#include <QAbstractTextDocumentLayout>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

using namespace velko;

namespace {

const QString kSystemFolder = QStringLiteral("/usr/share/hunspell");

// The marked (start, length) ranges of the first block.
QList<std::pair<int, int>> marksOf(const QTextDocument* document)
{
    QList<std::pair<int, int>> marks;
    const QList<QTextLayout::FormatRange> ranges = document->firstBlock().layout()->formats();
    for (const QTextLayout::FormatRange& range : ranges) {
        if (range.format.underlineStyle() == QTextCharFormat::SpellCheckUnderline)
            marks.append({range.start, range.length});
    }
    return marks;
}

} // namespace

class SpellingTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!QFileInfo::exists(kSystemFolder + QStringLiteral("/en_US.dic")))
            QSKIP("No en_US Hunspell dictionary (Debian package hunspell-en-us) installed.");
    }

    void dictionaryForTheLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("found");
        const QString own = m_dir.filePath(QStringLiteral("dicts"));
        QTest::newRow("exact") << "de_AT" << own + QStringLiteral("/de_AT");
        QTest::newRow("same language") << "de_DE.UTF-8" << own + QStringLiteral("/de_AT");
        QTest::newRow("system folder") << "en_US" << kSystemFolder + QStringLiteral("/en_US");
        QTest::newRow("unknown language") << "xx-YY" << kSystemFolder + QStringLiteral("/en_US");
        QTest::newRow("C locale") << "C" << kSystemFolder + QStringLiteral("/en_US");
    }

    void dictionaryForTheLocale()
    {
        QFETCH(QString, locale);
        QFETCH(QString, found);
        const QString own = m_dir.filePath(QStringLiteral("dicts"));
        QDir().mkpath(own);
        // A de_AT dictionary in our own folder; fr_FR has no .aff, so it is none.
        for (const char* name : {"de_AT.aff", "de_AT.dic", "fr_FR.dic"})
            QVERIFY(testsupport::writeFile(own + u'/' + QString::fromLatin1(name), {}));
        QCOMPARE(findDictionary(locale, {own, kSystemFolder}), found);
        QCOMPARE(findDictionary(QStringLiteral("fr_FR"), {own}), QString());
    }

    void wordsAreCheckedWithSuggestions_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("suggestion");
        QTest::newRow("right") << "house" << QString();
        QTest::newRow("capitalised") << "Tuesday" << QString();
        QTest::newRow("apostrophe") << "don't" << QString();
        QTest::newRow("swapped letters") << "hosue"
                                         << "house";
        QTest::newRow("common slip") << "recieve"
                                     << "receive";
    }

    void wordsAreCheckedWithSuggestions()
    {
        QFETCH(QString, word);
        QFETCH(QString, suggestion);
        const auto checker = openChecker(m_dir.filePath(QStringLiteral("none.txt")));
        QVERIFY(checker);
        QCOMPARE(checker->language(), QStringLiteral("en_US"));
        QCOMPARE(checker->isCorrect(word), suggestion.isEmpty());
        if (!suggestion.isEmpty())
            QVERIFY2(checker->suggestions(word).contains(suggestion),
                     qPrintable(checker->suggestions(word).join(u',')));
    }

    // The context menu's Add to Dictionary: from a secure document the word is
    // accepted but not written, unless "Add to Dictionary File" is chosen; from
    // a plain document it goes to the list, which a later run reads back.
    void wordsFromASecureDocumentStayInMemory()
    {
        const QString list = m_dir.filePath(QStringLiteral("data/personal-dictionary.txt"));
        bool secure = true;
        VelkoTextView view;
        view.resize(400, 200);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        SpellCheckView spelling(&view, openChecker(list), [&secure] { return secure; });
        const auto chooseFromMenu = [&](const QString& word, const char* item) {
            view.setPlainTextFromCode(QStringLiteral("A ") + word + QStringLiteral(" here"));
            QTextCursor at(view.document());
            at.setPosition(3);
            QMenu menu;
            menu.addAction(QStringLiteral("Copy"));
            spelling.addSpellingItems(&menu, view.cursorRect(at).center());
            auto* action = menu.findChild<QAction*>(QString::fromLatin1(item));
            QVERIFY2(action, item);
            QVERIFY(menu.actions().first()->text().size() > 0);
            QCOMPARE(menu.actions().constLast()->text(), QStringLiteral("Copy"));
            action->trigger();
            QVERIFY(spelling.checker()->isCorrect(word));
            QVERIFY(marksOf(view.document()).isEmpty());
        };

        chooseFromMenu(QStringLiteral("Zorblaxian"), "spellAddWord");
        chooseFromMenu(QStringLiteral("Qwelmorth"), "spellIgnoreWord");
        QVERIFY(!QFileInfo::exists(list));
        chooseFromMenu(QStringLiteral("Frobnicatory"), "spellAddWordToFile");
        secure = false;
        chooseFromMenu(QStringLiteral("Quüxified"), "spellAddWord");
        QCOMPARE(testsupport::readFile(list), QByteArray("Frobnicatory\nQuüxified\n"));

        const auto later = openChecker(list);
        QVERIFY(later->isCorrect(QStringLiteral("Quüxified")));
        QVERIFY(!later->isCorrect(QStringLiteral("Zorblaxian")));
        QVERIFY(!later->isCorrect(QStringLiteral("Qwelmorth")));
    }

    // The marks are the layout's alone: the RTF, the undo history, the modified
    // flag and the user's edit signal do not see them, and they follow the
    // document that the view is given.
    void marksUnderlineWithoutChangingTheDocument()
    {
        const QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Thiss is {\\b bolld} "
                               "and {\\ul underlined} text.\\par}";
        VelkoTextView view;
        QVERIFY(view.setRtfFromCode(rtf));
        const QByteArray written = view.rtfOfWholeText();
        QSignalSpy edits(&view, &VelkoTextView::userTextChanged);
        SpellCheckView spelling(&view, openChecker(m_dir.filePath(QStringLiteral("none.txt"))), {});
        const QList<std::pair<int, int>> expected{{0, 5}, {9, 5}};
        QTRY_COMPARE(marksOf(view.document()), expected);

        QCOMPARE(view.rtfOfWholeText(), written);
        QCOMPARE(view.document()->availableUndoSteps(), 0);
        QVERIFY(!view.document()->isModified());
        QCOMPARE(edits.count(), 0);

        // Off, and while the view is read-only (it shows enciphered text then).
        spelling.toggleAction()->setChecked(false);
        QVERIFY(marksOf(view.document()).isEmpty());
        spelling.toggleAction()->setChecked(true);
        QCOMPARE(marksOf(view.document()), expected);
        view.setReadOnly(true);
        QVERIFY(marksOf(view.document()).isEmpty());
        view.setReadOnly(false);
        QVERIFY(view.setRtfFromCode("{\\rtf1\\ansi Nothng new.\\par}"));
        QTRY_COMPARE(marksOf(view.document()), (QList<std::pair<int, int>>{{0, 6}}));
        QCOMPARE(edits.count(), 0);
    }

private:
    std::unique_ptr<SpellChecker> openChecker(const QString& personalPath) const
    {
        auto checker = SpellChecker::open(kSystemFolder + QStringLiteral("/en_US"), personalPath);
        return checker ? std::move(checker).value() : nullptr;
    }
    QTemporaryDir m_dir;
};

QTEST_MAIN(SpellingTest)
#include "tst_spelling.moc"
