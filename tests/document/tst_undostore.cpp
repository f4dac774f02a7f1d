#include "document/UndoStore.h"
#include "testmain.h"

// The undo store's rules on plain lines, without a window.
class UndoStoreTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void undoGivesSnapshotAndRedoGivesUndoneText()
    {
        UndoStore store;
        store.memorise({"<html>", "<body>", "</html>"}, 7);
        const UndoStore::State back = store.undo({"<html>", "<body>", "<b></b>", "</html>"});
        QCOMPARE(back.lines, (QStringList{"<html>", "<body>", "</html>"}));
        QCOMPARE(back.caret, 7);
        QVERIFY(store.redoAvailable());
        const auto again = store.redo();
        QVERIFY(again);
        QCOMPARE(again->lines, (QStringList{"<html>", "<body>", "<b></b>", "</html>"}));
        QCOMPARE(again->caret, 7);
        // The redo copy stays: a later activation may offer it again.
        QVERIFY(store.redoAvailable());
    }

    void shortPagesAndTypingHaveNoRedo()
    {
        UndoStore store;
        store.memorise({"a"}, 0);
        store.undo({"a", "b"});
        QVERIFY(!store.redoAvailable());
        QVERIFY(!store.redo());
        store.undo({"a", "b", "c"});
        QVERIFY(store.redoAvailable());
        store.typed();
        QVERIFY(!store.redoAvailable());
        QVERIFY(!store.redo());
    }

    void undoWithoutSnapshotEmptiesThePage()
    {
        // A window never snapshotted gives back an empty page, as it always has.
        UndoStore store;
        const UndoStore::State back = store.undo({"x"});
        QVERIFY(back.lines.isEmpty());
        QCOMPARE(back.caret, 0);
    }
};

PEMO_TEST(UndoStoreTest)
#include "tst_undostore.moc"
