#include "data/CurvePresets.h"

#include "data/CurveTransfer.h"
#include "system/AtomicFile.h"
#include "system/functions.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <utility>

namespace {

// Each built-in curve as fractions of R for its three points, (output, force) each. A soft curve gives much
// output for little force: its middle point lies right of and below the diagonal.
struct Shape {
    const char* Name;
    double MidOutput;
    double MidForce;
};
constexpr Shape Shapes[] = {{"Linear", 0.5, 0.5},
                            {"Soft", 0.75, 0.25},
                            {"Very Soft", 0.9, 0.1},
                            {"Firm", 0.25, 0.75},
                            {"Very Firm", 0.1, 0.9}};

int32_t Fraction(double f, int32_t R) {
    return static_cast<int32_t>(std::nearbyint(f * R));
}

bool ReadPreset(const QJsonValue& value, TCurvePreset& preset) {
    const QJsonObject o = value.toObject();
    const QJsonArray curve = o.value(QStringLiteral("curve")).toArray();
    const QJsonValue name = o.value(QStringLiteral("name"));
    const QJsonValue resolution = o.value(QStringLiteral("resolution"));
    if (!name.isString() || name.toString().isEmpty() || !resolution.isDouble() || curve.size() != 6)
        return false;
    const double r = resolution.toDouble();
    if (r != std::trunc(r) || r <= 0 || r > 2147483647.0)
        return false;
    preset.Name = name.toString();
    preset.Resolution = static_cast<int32_t>(r);
    for (int k = 0; k < 6; ++k) {
        const double v = curve.at(k).toDouble(-1);
        if (!curve.at(k).isDouble() || v != std::trunc(v) || v < -2147483648.0 || v > 2147483647.0)
            return false;
        preset.Curve[static_cast<size_t>(k)] = static_cast<int32_t>(v);
    }
    return true;
}

} // namespace

std::vector<TCurvePreset> BuiltInPresets(int32_t R) {
    std::vector<TCurvePreset> list;
    for (const Shape& s : Shapes)
        list.push_back({QString::fromLatin1(s.Name),
                        R,
                        {0, 0, Fraction(s.MidForce, R), Fraction(s.MidOutput, R), R, R}});
    return list;
}

void PutPreset(const TCurvePreset& preset, Pen& target) {
    TCurveText curve;
    curve.Kind = TCurveText::Form::Pen;
    curve.Resolution = preset.Resolution;
    curve.Curve = preset.Curve;
    curve.UpperThreshold = target.UpperThreshold;
    curve.LowerThreshold = target.LowerThreshold;
    const int32_t upper = target.UpperThreshold;
    const int32_t lower = target.LowerThreshold;
    PutCurve(curve, target);
    target.UpperThreshold = upper;
    target.LowerThreshold = lower;
}

TCurvePresets::LoadResult TCurvePresets::Load() {
    List.clear();
    Writable = true;
    QFile file(Path);
    if (!file.exists())
        return LoadResult::Loaded;
    bool sound = file.open(QIODevice::ReadOnly);
    std::vector<TCurvePreset> read;
    if (sound) {
        const QJsonDocument doc = QJsonDocument::fromJson(file.readAll());
        file.close();
        const QJsonValue presets = doc.object().value(QStringLiteral("presets"));
        sound = doc.isObject() && presets.isArray();
        for (const QJsonValue& value : presets.toArray()) {
            TCurvePreset preset;
            if (!ReadPreset(value, preset)) {
                sound = false;
                break;
            }
            read.push_back(preset);
        }
    }
    if (sound) {
        List = std::move(read);
        return LoadResult::Loaded;
    }
    // A damaged file is never written over: it goes aside first, or nothing is saved this run.
    const QString aside = Path + QStringLiteral(".bak");
    QFile::remove(aside);
    if (QFile::rename(Path, aside))
        return LoadResult::Damaged;
    Writable = false;
    return LoadResult::Stuck;
}

void TCurvePresets::Add(const TCurvePreset& preset) {
    std::vector<TCurvePreset> list = List;
    bool replaced = false;
    for (TCurvePreset& p : list)
        if (p.Name == preset.Name) {
            p = preset;
            replaced = true;
        }
    if (!replaced)
        list.push_back(preset);
    Store(list);
}

void TCurvePresets::Rename(size_t index, const QString& name) {
    if (index >= List.size())
        return;
    std::vector<TCurvePreset> list = List;
    list[index].Name = name;
    Store(list);
}

void TCurvePresets::Remove(size_t index) {
    if (index >= List.size())
        return;
    std::vector<TCurvePreset> list = List;
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(index));
    Store(list);
}

void TCurvePresets::Store(const std::vector<TCurvePreset>& list) {
    if (!Writable)
        throw WriteError("the presets file is damaged and could not be moved aside");
    QJsonArray presets;
    for (const TCurvePreset& p : list) {
        QJsonArray curve;
        for (int32_t v : p.Curve)
            curve.append(v);
        presets.append(QJsonObject{{QStringLiteral("name"), p.Name},
                                   {QStringLiteral("resolution"), p.Resolution},
                                   {QStringLiteral("curve"), curve}});
    }
    const QByteArray bytes =
        QJsonDocument(QJsonObject{{QStringLiteral("presets"), presets}}).toJson(QJsonDocument::Indented);
    CreateFolders(QFileInfo(Path).absolutePath());
    WriteFileAtomic(Path, bytes);
    List = list;
}

QString PresetsPath() {
    return DataFolder() + QStringLiteral("CurvePresets.json");
}
