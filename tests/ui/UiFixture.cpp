#include "UiFixture.h"

#include "support/AppEnvironment.h"
#include "support/PreferenceFiles.h"

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

PenTexts Texts(const SamplePen& p) {
    return {p.Name, Num(p.Resolution), Curve(p), Num(p.Upper), Num(p.Lower)};
}

} // namespace

QByteArray XmlConfig(std::initializer_list<SamplePen> pens) {
    QByteArray x = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<root>\r\n  "
                   "<TabletArray>\r\n";
    size_t i = 0;
    for (const SamplePen& p : pens) {
        const QByteArray tag = ++i == pens.size() && pens.size() > 1 ? "TransducerEraserSettings"
                                                                     : "TransducerTipButtonSettings";
        x += XmlPenElement(tag, Texts(p), "    ", "  ", "\r\n");
    }
    x += "  </TabletArray>\r\n</root>\r\n";
    return x;
}

QByteArray TextConfig(std::initializer_list<SamplePen> pens) {
    QByteArray t = "TabletPreferences 1\r\n";
    for (const SamplePen& p : pens)
        t += TextPenBlock(Texts(p));
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
