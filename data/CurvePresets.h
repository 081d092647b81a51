#pragma once
// Named curves to put on any pen: the built-in ones, given as fractions of the resolution so that they fit
// every pen, and the ones the user saved, kept in one JSON file beside the settings file. A saved preset
// keeps the resolution it was saved at and is rescaled to the pen it is put on.

#include "data/typeDef.h"

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

struct TCurvePreset {
    QString Name;
    int32_t Resolution = 0;         // of the curve's numbers
    std::array<int32_t, 6> Curve{}; // in file order: P1Y P1X P2Y P2X P3Y P3X
    bool operator==(const TCurvePreset&) const = default;
};

// "Linear", "Soft", "Very Soft", "Firm", "Very Firm", at resolution R.
std::vector<TCurvePreset> BuiltInPresets(int32_t R);

// The preset's curve put on `target`, rescaled to its resolution and limited to 0..R; the thresholds stay.
void PutPreset(const TCurvePreset& preset, Pen& target);

// The saved presets and their file. Every change is written at once, all or nothing; a failed write leaves
// both the file and the list as they were.
class TCurvePresets {
public:
    enum class LoadResult {
        Loaded,  // read, or no file yet
        Damaged, // unreadable: moved aside to the file's name + ".bak"; the list starts empty
        Stuck    // unreadable and could not be moved aside: the list is empty and nothing is saved
    };

    explicit TCurvePresets(QString path) : Path(std::move(path)) {}

    LoadResult Load();
    const QString& FilePath() const { return Path; }
    const std::vector<TCurvePreset>& Saved() const { return List; }

    // Each raises WriteError when the file cannot be written (or must not be, after LoadResult::Stuck).
    // A preset of a name already saved replaces it.
    void Add(const TCurvePreset& preset);
    void Rename(size_t index, const QString& name);
    void Remove(size_t index);

private:
    void Store(const std::vector<TCurvePreset>& list);

    QString Path;
    std::vector<TCurvePreset> List;
    bool Writable = true;
};

// The presets file beside the settings file.
QString PresetsPath();
