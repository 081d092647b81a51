#pragma once
// The history of pen edits behind "Undo" and "Redo": each step holds one pen's values before and after an
// edit (never file content), and undoing or redoing it hands that whole pen back to the owner, which puts
// it into the graph and shows it. A step is a finished drag, a confirmed pen editor, or a run of key presses
// that move the same handle of the same pen, merged into one step.

#include "data/typeDef.h"

#include <QUndoStack>

#include <cstdint>
#include <functional>
#include <vector>

// What a step changed; it names the step ("Move Middle Point", "Pen Editor", "Paste Curve"). The first five
// equal the graph's DragTarget values.
enum class TPenEdit : int {
    LowerPoint = 0,
    MiddlePoint = 1,
    UpperPoint = 2,
    UpperThreshold = 3,
    LowerThreshold = 4,
    PenEditor = 5,
    PasteCurve = 6,
    ApplyToPens = 7,
    CurvePreset = 8
};

class TPenHistory {
public:
    // Puts the pen back at its index in the graph and shows it; called by every undo and redo.
    using RestoreFn = std::function<void(int index, const Pen& pen)>;
    // One pen of a step that changed several.
    struct Change {
        int Index = -1;
        Pen Before;
        Pen After;
    };
    // Puts several pens back at their indexes in the graph at once, the pen shown staying shown.
    using RestoreManyFn = std::function<void(const std::vector<Change>& changes, bool after)>;

    explicit TPenHistory(RestoreFn restore, RestoreManyFn restoreMany = nullptr);
    TPenHistory(const TPenHistory&) = delete;
    TPenHistory& operator=(const TPenHistory&) = delete;

    // The stack behind the menu's undo and redo actions.
    QUndoStack& Stack() { return Steps; }

    // A finished drag or a confirmed pen editor: one step, when the pen changed at all.
    void Record(TPenEdit what, int index, const Pen& before, const Pen& after);
    // An edit of several pens at once: one step, holding the pens that changed; none when nothing did.
    void RecordMany(TPenEdit what, std::vector<Change> changes);
    // One key press's move: joined to the step of the key press before it while the same handle of the same
    // pen moves and nothing else has happened in between; a run that ends where it began leaves no step.
    void RecordKey(TPenEdit what, int index, const Pen& before, const Pen& after);
    // Ends the run of key presses, so the next key move starts a step of its own.
    void EndKeyRun() { ++Run; }
    // Drops every step (a load replaces the pens they refer to).
    void Clear();

private:
    friend class TPenStep;
    friend class TPensStep;
    void Push(TPenEdit what, int index, const Pen& before, const Pen& after, bool key);
    void Put(int index, const Pen& pen);
    void PutMany(const std::vector<Change>& changes, bool after);

    QUndoStack Steps;
    RestoreFn Restore;
    RestoreManyFn RestoreMany;
    // Key presses merge only within one run; every other record, undo, redo or clear starts a new one.
    uint64_t Run = 0;
    int LastKeyIndex = -1;
    TPenEdit LastKeyEdit = TPenEdit::PenEditor;
};
