// The history of pen edits: which records become steps, how key moves merge, and what undo and redo hand
// back.

#include "GraphFixture.h"
#include "graph/PenHistory.h"

#include <utility>
#include <vector>

namespace {

struct History : ::testing::Test {
    History() : h([this](int index, const Pen& pen) { Restored.emplace_back(index, pen); }) {}
    static Pen At(int p2y) { return MakePen(1023, 0, 0, 512, p2y, 1023, 1023, 20, 10); }
    std::vector<std::pair<int, Pen>> Restored;
    TPenHistory h;
};

} // namespace

TEST_F(History, OnlyAChangedPenBecomesAStepAndItsUndoAndRedoHandBackTheWholePen) {
    h.Record(TPenEdit::MiddlePoint, 1, At(512), At(512));
    EXPECT_EQ(h.Stack().count(), 0);

    h.Record(TPenEdit::MiddlePoint, 1, At(512), At(600));
    h.Record(TPenEdit::PenEditor, 0, At(100), At(200));
    EXPECT_EQ(h.Stack().count(), 2);
    EXPECT_TRUE(Restored.empty()) << "recording puts nothing back: the edit is in the graph already";
    EXPECT_EQ(h.Stack().undoText(), "Pen Editor");

    h.Stack().undo();
    h.Stack().undo();
    EXPECT_EQ(h.Stack().redoText(), "Move Middle Point");
    h.Stack().redo();
    ASSERT_EQ(Restored.size(), 3u);
    EXPECT_EQ(Restored[0], std::make_pair(0, At(100)));
    EXPECT_EQ(Restored[1], std::make_pair(1, At(512)));
    EXPECT_EQ(Restored[2], std::make_pair(1, At(600)));
}

TEST_F(History, KeyMovesMergeWhileTheSameHandleOfTheSamePenMovesWithNothingBetween) {
    h.RecordKey(TPenEdit::MiddlePoint, 1, At(512), At(513));
    h.RecordKey(TPenEdit::MiddlePoint, 1, At(513), At(514));
    EXPECT_EQ(h.Stack().count(), 1);
    h.RecordKey(TPenEdit::UpperPoint, 1, At(514), At(515)); // another handle
    h.RecordKey(TPenEdit::UpperPoint, 0, At(1), At(2));     // another pen
    EXPECT_EQ(h.Stack().count(), 3);
    h.EndKeyRun();
    h.RecordKey(TPenEdit::UpperPoint, 0, At(2), At(3));
    h.Record(TPenEdit::UpperPoint, 0, At(3), At(4)); // a drag
    h.RecordKey(TPenEdit::UpperPoint, 0, At(4), At(5));
    EXPECT_EQ(h.Stack().count(), 6);

    h.Stack().undo();
    h.RecordKey(TPenEdit::UpperPoint, 0, At(4), At(6)); // an undo between
    EXPECT_EQ(h.Stack().count(), 6);
    h.Stack().undo();
    EXPECT_EQ(Restored.back(), std::make_pair(0, At(4)));

    h.Stack().setIndex(0);
    EXPECT_EQ(Restored.back(), std::make_pair(1, At(512))) << "the merged step goes back to its first pen";
}
