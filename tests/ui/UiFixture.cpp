#include "UiFixture.h"

#include "support/AppEnvironment.h"

#include <QComboBox>
#include <QFile>

namespace {

[[maybe_unused]] const auto* const Registered = RegisterAppEnvironment("test_ui");

QByteArray Num(int v) {
    return QByteArray::number(v);
}

QByteArray Curve(const SamplePen& p) {
    return Num(p.P1Y) + " " + Num(p.P1X) + " " + Num(p.P2Y) + " " + Num(p.P2X) + " " + Num(p.P3Y) + " " +
           Num(p.P3X);
}

} // namespace

QByteArray XmlConfig(std::initializer_list<SamplePen> pens) {
    QByteArray x = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<root>\r\n  "
                   "<TabletArray>\r\n";
    size_t i = 0;
    for (const SamplePen& p : pens) {
        const QByteArray tag = ++i == pens.size() && pens.size() > 1 ? "TransducerEraserSettings"
                                                                     : "TransducerTipButtonSettings";
        x += "    <" + tag + ">\r\n";
        x += "      <ButtonName>" + QByteArray(p.Name) + "</ButtonName>\r\n";
        x += "      <PressureResolution>" + Num(p.Resolution) + "</PressureResolution>\r\n";
        x += "      <PressureCurveControlPoint>" + Curve(p) + "</PressureCurveControlPoint>\r\n";
        x += "      <UpperPressureThreshold>" + Num(p.Upper) + "</UpperPressureThreshold>\r\n";
        x += "      <LowerPressureThreshold>" + Num(p.Lower) + "</LowerPressureThreshold>\r\n";
        x += "    </" + tag + ">\r\n";
    }
    x += "  </TabletArray>\r\n</root>\r\n";
    return x;
}

QByteArray TextConfig(std::initializer_list<SamplePen> pens) {
    QByteArray t = "TabletPreferences 1\r\n";
    for (const SamplePen& p : pens) {
        t += "ButtonName " + QByteArray(p.Name) + "\r\n";
        t += "PressureResolution " + Num(p.Resolution) + "\r\n";
        t += "PressureCurveControlPoint " + Curve(p) + "\r\n";
        t += "UpperPressureThreshold " + Num(p.Upper) + "\r\n";
        t += "LowerPressureThreshold " + Num(p.Lower) + "\r\n";
    }
    return t;
}

QStringList FileLines(const QString& path) {
    QString text = QString::fromLatin1(TestEnv::Read(path));
    text.replace("\r\n", "\n");
    QStringList lines = text.split('\n');
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void MainWindowTest::TearDown() {
    Stop();
}

void MainWindowTest::Create() {
    CreateForms(Prompter);
    Created = true;
}

void MainWindowTest::Start() {
    Create();
    TabletForm->show();
}

void MainWindowTest::Stop() {
    if (!Created)
        return;
    DestroyForms();
    Created = false;
}

QString MainWindowTest::DefaultPath(int which) const {
    return which == 0 ? Env.WacomFile() : which == 1 ? Env.PenFile() : Env.IsdFile();
}

QString MainWindowTest::WriteDefault(int which, const QByteArray& bytes) {
    return Env.Write(DefaultPath(which), bytes);
}

QStringList MainWindowTest::PenList() const {
    QStringList names;
    for (int i = 0; i < TabletForm->ComboBox->count(); ++i)
        names << TabletForm->ComboBox->itemText(i);
    return names;
}
