#pragma once
// Input files for the benchmarks: driver preference files of a chosen size in both generations, with many
// pen elements spread among many unrelated settings, the way a file grows when the user has configured
// many applications. Everything is generated at run time into a temporary folder; the content is
// deterministic, so every run measures the same bytes.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <cstdint>
#include <stdexcept>
#include <string>

namespace bench {

// The sizes every load and apply benchmark runs at.
inline constexpr qint64 KB100 = 100 * 1024;
inline constexpr qint64 MB1 = 1024 * 1024;
inline constexpr qint64 MB10 = 10 * 1024 * 1024;

// The pen values of the last pen of every generated file: the window shows that pen, and the drag
// benchmark relies on its middle point lying at pixel (250, 250) of a 500-pixel graph, well apart from
// the lower point (12, 488) and the upper point (488, 12).
inline constexpr const char* LastCurve = "0 0 511 512 1023 1023";
inline constexpr int LastUpper = 11;
inline constexpr int LastLower = 2;

struct Generated {
    QByteArray Bytes;
    int Pens = 0;
};

// A small deterministic generator so that the unrelated values vary without depending on the library.
class Lcg {
public:
    explicit Lcg(uint32_t seed) : State(seed) {}
    uint32_t Next() {
        State = State * 1664525u + 1013904223u;
        return State >> 8;
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<uint32_t>(n)); }

private:
    uint32_t State;
};

namespace detail {

inline std::string Num(int v) {
    return std::to_string(v);
}

// A plausible curve: lower point on the left edge, upper point on the right edge, middle point anywhere.
inline std::string RandomCurve(Lcg& rng) {
    const int p1y = rng.Below(200);
    const int p3y = 823 + rng.Below(201);
    const int p2x = 100 + rng.Below(824);
    const int p2y = 100 + rng.Below(824);
    return Num(p1y) + " 0 " + Num(p2y) + " " + Num(p2x) + " " + Num(p3y) + " 1023";
}

inline void XmlPen(std::string& out, const char* element, const char* name, const std::string& curve,
                   int upper, int lower, Lcg& rng) {
    const std::string in = "\t\t\t\t\t";
    out += in + "<" + element + " type=\"map\">\r\n";
    out += in + "\t<ButtonName type=\"string\">" + name + "</ButtonName>\r\n";
    out += in + "\t<ClickThreshold type=\"integer\">" + Num(rng.Below(100)) + "</ClickThreshold>\r\n";
    out += in + "\t<PressureResolution type=\"integer\">1023</PressureResolution>\r\n";
    out += in + "\t<PressureCurveControlPoint type=\"string\">" + curve + "</PressureCurveControlPoint>\r\n";
    out += in + "\t<UpperPressureThreshold type=\"integer\">" + Num(upper) + "</UpperPressureThreshold>\r\n";
    out += in + "\t<LowerPressureThreshold type=\"integer\">" + Num(lower) + "</LowerPressureThreshold>\r\n";
    out += in + "\t<TiltSensitivity type=\"integer\">" + Num(rng.Below(10)) + "</TiltSensitivity>\r\n";
    out += in + "\t<DoubleClickAssist/>\r\n";
    out += in + "</" + element + ">\r\n";
}

// Unrelated settings of one application: integers, strings with character references, empty elements in
// both spellings, single-quoted attributes and nested maps.
inline void XmlUnrelated(std::string& out, int app, Lcg& rng) {
    const std::string in = "\t\t\t\t\t";
    for (int k = 0; k < 8; ++k) {
        out += in + "<ExpressKey_" + Num(k) + " type=\"map\">\r\n";
        out += in + "\t<KeyFunction type=\"integer\">" + Num(rng.Below(64)) + "</KeyFunction>\r\n";
        out += in + "\t<KeystrokeName type=\"string\">Ctrl &amp; Shift + " + Num(rng.Below(26)) +
               "</KeystrokeName>\r\n";
        out += in + "\t<ModifierMask type='integer'>" + Num(rng.Below(16)) + "</ModifierMask>\r\n";
        out += in + "\t<RunApplication type=\"string\"></RunApplication>\r\n";
        out += in + "\t<ShowInHud/>\r\n";
        out += in + "</ExpressKey_" + Num(k) + ">\r\n";
    }
    out += in + "<TouchRing type=\"map\">\r\n";
    for (int k = 0; k < 4; ++k)
        out += in + "\t<RingMode_" + Num(k) + " type=\"integer\">" + Num(rng.Below(9)) + "</RingMode_" +
               Num(k) + ">\r\n";
    out += in + "\t<Comment type=\"string\">ring of app " + Num(app) + " &#169; &lt;user&gt;</Comment>\r\n";
    out += in + "</TouchRing>\r\n";
    out += in + "<!-- mapping of application " + Num(app) + " -->\r\n";
    out += in + "<DisplayMapping type=\"map\">\r\n";
    out += in + "\t<ScreenArea type=\"string\">0 0 " + Num(1920 + rng.Below(1920)) + " " +
           Num(1080 + rng.Below(1080)) + "</ScreenArea>\r\n";
    out += in + "\t<ForceProportions type=\"bool\">" + (rng.Below(2) ? "true" : "false") +
           "</ForceProportions>\r\n";
    out += in + "</DisplayMapping>\r\n";
}

} // namespace detail

// An XML-generation preference file of about `target` bytes (never less): one application block after
// another, each with a tip and an eraser among its unrelated settings, CR LF line ends. The last pen has
// the curve LastCurve and the thresholds LastUpper and LastLower.
inline Generated MakeXmlPreferences(qint64 target) {
    Lcg rng(0x5eed1234u);
    std::string out;
    out.reserve(static_cast<size_t>(target + 8192));
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
    out += "<!-- Tablet preferences; edited by the driver's control panel -->\r\n\r\n";
    out += "<root type=\"map\">\r\n";
    out += "\t<TabletPreferences type=\"map\">\r\n";
    out += "\t\t<PreferencesVersion type=\"integer\">6</PreferencesVersion>\r\n";
    out += "\t\t<ApplicationAssociations type=\"array\">\r\n";
    const std::string closing = "\t\t</ApplicationAssociations>\r\n\t</TabletPreferences>\r\n</root>\r\n";
    Generated g;
    int app = 0;
    for (;;) {
        const bool last = static_cast<qint64>(out.size() + closing.size()) + 4096 >= target;
        out += "\t\t\t<ApplicationAssociation type=\"map\">\r\n";
        out +=
            "\t\t\t\t<ApplicationName type=\"string\">app_" + detail::Num(app) + ".exe</ApplicationName>\r\n";
        out += "\t\t\t\t<Settings type=\"map\">\r\n";
        detail::XmlUnrelated(out, app, rng);
        detail::XmlPen(out, "TransducerEraserSettings", "Eraser", detail::RandomCurve(rng),
                       20 + rng.Below(20), 2 + rng.Below(10), rng);
        if (last)
            detail::XmlPen(out, "TransducerTipButtonSettings", "Tip", LastCurve, LastUpper, LastLower, rng);
        else
            detail::XmlPen(out, "TransducerTipButtonSettings", "Tip", detail::RandomCurve(rng),
                           20 + rng.Below(20), 2 + rng.Below(10), rng);
        g.Pens += 2;
        out += "\t\t\t\t</Settings>\r\n";
        out += "\t\t\t</ApplicationAssociation>\r\n";
        ++app;
        if (last)
            break;
    }
    out += closing;
    g.Bytes = QByteArray(out.data(), static_cast<qsizetype>(out.size()));
    return g;
}

// A text-generation preference file of about `target` bytes: sections of unrelated key lines with one pen
// block each (name, resolution, curve, thresholds), CR LF line ends. No unrelated line contains one of the
// pen keywords. The last pen is the same as in the XML file.
inline Generated MakeTextPreferences(qint64 target) {
    Lcg rng(0x7e47u);
    std::string out;
    out.reserve(static_cast<size_t>(target + 4096));
    out += "; Tablet preferences\r\nVersion 5\r\n";
    Generated g;
    int app = 0;
    for (;;) {
        const bool last = static_cast<qint64>(out.size()) + 2048 >= target;
        out += "[Application app_" + detail::Num(app) + ".exe]\r\n";
        for (int k = 0; k < 24; ++k)
            out += "ExpressKey" + detail::Num(k) + "Function " + detail::Num(rng.Below(64)) + "\r\n";
        out += "ScreenArea 0 0 " + detail::Num(1920 + rng.Below(1920)) + " " +
               detail::Num(1080 + rng.Below(1080)) + "\r\n";
        out += "\tTiltSensitivity " + detail::Num(rng.Below(10)) + "\r\n";
        out += "ButtonName Tip\r\n";
        out += "PressureResolution 1023\r\n";
        out += "ClickForce " + detail::Num(rng.Below(100)) + "\r\n";
        out += std::string("PressureCurveControlPoint ") +
               (last ? std::string(LastCurve) : detail::RandomCurve(rng)) + "\r\n";
        out += "UpperPressureThreshold " + detail::Num(last ? LastUpper : 20 + rng.Below(20)) + "\r\n";
        out += "LowerPressureThreshold " + detail::Num(last ? LastLower : 2 + rng.Below(10)) + "\r\n";
        g.Pens += 1;
        ++app;
        if (last)
            break;
    }
    g.Bytes = QByteArray(out.data(), static_cast<qsizetype>(out.size()));
    return g;
}

// Writes `bytes` to `folder`/`name` (folders created as needed) and returns the path. Raises when the
// file cannot be written, since no benchmark can go on without its input.
inline QString WriteInput(const QString& folder, const QString& name, const QByteArray& bytes) {
    QDir().mkpath(folder);
    const QString path = folder + "/" + name;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write benchmark input " + path.toStdString());
    return path;
}

inline QByteArray ReadAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    return f.readAll();
}

// "100KB", "1MB", "10MB": the label of a size in benchmark names and reports.
inline std::string SizeLabel(qint64 bytes) {
    if (bytes >= MB1)
        return std::to_string(bytes / MB1) + "MB";
    return std::to_string(bytes / 1024) + "KB";
}

} // namespace bench
