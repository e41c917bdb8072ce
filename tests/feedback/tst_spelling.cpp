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
    for (const QTextLayout::FormatRange& range : document->firstBlock().layout()->formats()) {
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
        if (!QFileInfo::exists(kSystemFolder + "/en_US.dic"))
            QSKIP("No en_US Hunspell dictionary (Debian package hunspell-en-us) installed.");
    }

    // Our own folder first, then the system's; the same language in another
    // country will do, else en_US. A .dic without its .aff is no dictionary.
    void dictionaryForTheLocale()
    {
        const QString own = m_dir.filePath("dicts");
        QDir().mkpath(own);
        for (const char* name : {"de_AT.aff", "de_AT.dic", "fr_FR.dic"})
            QVERIFY(testsupport::writeFile(own + u'/' + name, {}));
        const QString austrian = own + "/de_AT", system = kSystemFolder + "/en_US";
        for (const auto& [locale, found] : {std::pair{"de_AT", austrian},
                                            {"de_DE.UTF-8", austrian},
                                            {"en_US", system},
                                            {"xx-YY", system},
                                            {"C", system}})
            QCOMPARE(findDictionary(locale, {own, kSystemFolder}), found);
        QCOMPARE(findDictionary("fr_FR", {own}), QString());
    }

    // Words spelled right pass, capitalised or with an apostrophe too; for a
    // slip the word meant is among the suggestions.
    void wordsAreCheckedWithSuggestions()
    {
        const auto checker = openChecker(m_dir.filePath("none.txt"));
        QVERIFY(checker);
        QCOMPARE(checker->language(), "en_US");
        for (const char* word : {"house", "Tuesday", "don't"})
            QVERIFY2(checker->isCorrect(word), word);
        for (const auto& [slip, meant] : {std::pair{"hosue", "house"}, {"recieve", "receive"}})
            QVERIFY2(!checker->isCorrect(slip) && checker->suggestions(slip).contains(meant),
                     qPrintable(checker->suggestions(slip).join(u',')));
    }

    // The context menu's Add to Dictionary: from a secure document the word is
    // accepted but not written, unless "Add to Dictionary File" is chosen; from
    // a plain document it goes to the list, which a later run reads back.
    void wordsFromASecureDocumentStayInMemory()
    {
        const QString list = m_dir.filePath("data/personal-dictionary.txt");
        bool secure = true;
        VelkoTextView view;
        view.resize(400, 200);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        SpellCheckView spelling(&view, openChecker(list), [&secure] { return secure; });
        const auto chooseFromMenu = [&](const QString& word, const char* item) {
            view.setPlainTextFromCode("A " + word + " here");
            QTextCursor at(view.document());
            at.setPosition(3);
            QMenu menu;
            menu.addAction("Copy");
            spelling.addSpellingItems(&menu, view.cursorRect(at).center());
            auto* action = menu.findChild<QAction*>(QString::fromLatin1(item));
            QVERIFY2(action, item);
            QVERIFY(menu.actions().first()->text().size() > 0);
            QCOMPARE(menu.actions().constLast()->text(), "Copy");
            action->trigger();
            QVERIFY(spelling.checker()->isCorrect(word));
            QVERIFY(marksOf(view.document()).isEmpty());
        };

        chooseFromMenu("Zorblaxian", "spellAddWord");
        chooseFromMenu("Qwelmorth", "spellIgnoreWord");
        QVERIFY(!QFileInfo::exists(list));
        chooseFromMenu("Frobnicatory", "spellAddWordToFile");
        secure = false;
        chooseFromMenu("Quüxified", "spellAddWord");
        QCOMPARE(testsupport::readFile(list), QByteArray("Frobnicatory\nQuüxified\n"));
        const auto later = openChecker(list);
        QVERIFY(later->isCorrect("Quüxified"));
        QVERIFY(!later->isCorrect("Zorblaxian") && !later->isCorrect("Qwelmorth"));
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
        SpellCheckView spelling(&view, openChecker(m_dir.filePath("none.txt")), {});
        const QList<std::pair<int, int>> expected{{0, 5}, {9, 5}};
        QTRY_COMPARE(marksOf(view.document()), expected);

        QCOMPARE(view.rtfOfWholeText(), written);
        QVERIFY(view.document()->availableUndoSteps() == 0 && !view.document()->isModified());
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

        // A build that starts before the desktop's dictionary opened opens it
        // first, to mark the document as it is built rather than afterwards.
        VelkoTextView other;
        SpellCheckView later(&other, nullptr, {});
        later.openDesktopDictionaryLater();
        QVERIFY(!later.checker() && !other.documentPreparer());
        QVERIFY(other.preparerForBuild());
        QVERIFY(later.checker());
    }

private:
    std::unique_ptr<SpellChecker> openChecker(const QString& personalPath) const
    {
        auto checker = SpellChecker::open(kSystemFolder + "/en_US", personalPath);
        return checker ? std::move(checker).value() : nullptr;
    }
    QTemporaryDir m_dir;
};

QTEST_MAIN(SpellingTest)
#include "tst_spelling.moc"
