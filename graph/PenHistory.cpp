#include "graph/PenHistory.h"

#include <QUndoCommand>

#include <utility>

namespace {

const char* StepText(TPenEdit what) {
    switch (what) {
    case TPenEdit::LowerPoint:
        return "Move Lower Point";
    case TPenEdit::MiddlePoint:
        return "Move Middle Point";
    case TPenEdit::UpperPoint:
        return "Move Upper Point";
    case TPenEdit::UpperThreshold:
        return "Move Upper Threshold";
    case TPenEdit::LowerThreshold:
        return "Move Lower Threshold";
    case TPenEdit::PasteCurve:
        return "Paste Curve";
    case TPenEdit::ApplyToPens:
        return "Apply Curve to Pens";
    case TPenEdit::CurvePreset:
        return "Curve Preset";
    case TPenEdit::PenEditor:
        break;
    }
    return "Pen Editor";
}

// QUndoStack merges a pushed step into the one on top when both report this id.
constexpr int KeyMoveId = 1;

} // namespace

class TPenStep : public QUndoCommand {
public:
    TPenStep(TPenHistory& owner, TPenEdit what, int index, Pen before, Pen after, bool key, uint64_t run)
        : QUndoCommand(QString::fromLatin1(StepText(what))), Owner(owner), What(what), Index(index),
          Before(std::move(before)), After(std::move(after)), Key(key), Run(run) {}

    void undo() override { Owner.Put(Index, Before); }
    void redo() override {
        // The stack runs redo() on push; the edit is already in the graph then.
        if (Done)
            Owner.Put(Index, After);
        Done = true;
    }
    int id() const override { return Key ? KeyMoveId : -1; }
    bool mergeWith(const QUndoCommand* other) override {
        const auto* next = static_cast<const TPenStep*>(other);
        if (!next->Key || next->Run != Run || next->Index != Index || next->What != What)
            return false;
        After = next->After;
        setObsolete(After == Before);
        return true;
    }

private:
    TPenHistory& Owner;
    TPenEdit What;
    int Index;
    Pen Before;
    Pen After;
    bool Key;
    uint64_t Run;
    bool Done = false;
};

// A step of several pens; never merged.
class TPensStep : public QUndoCommand {
public:
    TPensStep(TPenHistory& owner, TPenEdit what, std::vector<TPenHistory::Change> changes)
        : QUndoCommand(QString::fromLatin1(StepText(what))), Owner(owner), Changes(std::move(changes)) {}

    void undo() override { Owner.PutMany(Changes, false); }
    void redo() override {
        if (Done)
            Owner.PutMany(Changes, true);
        Done = true;
    }

private:
    TPenHistory& Owner;
    std::vector<TPenHistory::Change> Changes;
    bool Done = false;
};

TPenHistory::TPenHistory(RestoreFn restore, RestoreManyFn restoreMany)
    : Restore(std::move(restore)), RestoreMany(std::move(restoreMany)) {}

void TPenHistory::RecordMany(TPenEdit what, std::vector<Change> changes) {
    ++Run;
    std::erase_if(changes, [](const Change& c) { return c.Before == c.After; });
    if (!changes.empty())
        Steps.push(new TPensStep(*this, what, std::move(changes)));
}

void TPenHistory::PutMany(const std::vector<Change>& changes, bool after) {
    ++Run;
    if (RestoreMany) {
        RestoreMany(changes, after);
        return;
    }
    for (const Change& c : changes)
        Put(c.Index, after ? c.After : c.Before);
}

void TPenHistory::Record(TPenEdit what, int index, const Pen& before, const Pen& after) {
    ++Run;
    if (before != after)
        Push(what, index, before, after, false);
}

void TPenHistory::RecordKey(TPenEdit what, int index, const Pen& before, const Pen& after) {
    if (index != LastKeyIndex || what != LastKeyEdit)
        ++Run;
    LastKeyIndex = index;
    LastKeyEdit = what;
    if (before != after)
        Push(what, index, before, after, true);
}

void TPenHistory::Push(TPenEdit what, int index, const Pen& before, const Pen& after, bool key) {
    Steps.push(new TPenStep(*this, what, index, before, after, key, Run));
}

void TPenHistory::Put(int index, const Pen& pen) {
    ++Run;
    if (Restore)
        Restore(index, pen);
}

void TPenHistory::Clear() {
    ++Run;
    Steps.clear();
}
