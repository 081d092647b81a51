#include "data/Data_xmlClass.h"

#include "support/Pens.h"
#include "support/PreferenceFiles.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <QFile>

#include <stdexcept>

namespace {

QByteArray PenElement(const char* tag, const char* name, const char* curve = "0 0 512 512 1023 1023",
                      const char* upper = "1000", const char* lower = "20", const char* resolution = "1023") {
    return XmlPenElement(tag, {name, resolution, curve, upper, lower}, "  ", "  ", "\n");
}

QByteArray Document(const QByteArray& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<TabletPreferences>\n" + body +
           "</TabletPreferences>\n";
}

// A file written the way people and other tools leave them: CR LF, blanks and comments between the
// top-level nodes, single-quoted attributes, character references, both spellings of empty elements.
const QByteArray Quirky = "<?xml version='1.0' encoding='UTF-8' standalone='yes'?>\r\n"
                          "\r\n"
                          "<!-- written by hand -->\r\n"
                          "  <!DOCTYPE TabletPreferences [ <!ENTITY vendor \"x\"> ]>\r\n"
                          "<TabletPreferences  version='2' note=\"a &gt; b\">\r\n"
                          "\t<Empty1/>\r\n"
                          "\t<Empty2></Empty2>\r\n"
                          "\t<Empty3 a='1' />\r\n"
                          "\t<Ref>&#65;&#x42;&amp;&vendor;</Ref>\r\n"
                          "\t<TransducerTipButtonSettings type='tip'>\r\n"
                          "\t\t<ButtonName>Tip &amp; Co</ButtonName>\r\n"
                          "\t\t<PressureResolution>1023</PressureResolution>\r\n"
                          "\t\t<PressureCurveControlPoint>0 0 50 50 100 100</PressureCurveControlPoint>\r\n"
                          "\t\t<UpperPressureThreshold>&#49;000</UpperPressureThreshold>\r\n"
                          "\t\t<LowerPressureThreshold><![CDATA[2]]>0</LowerPressureThreshold>\r\n"
                          "\t</TransducerTipButtonSettings>\r\n"
                          "</TabletPreferences>\r\n"
                          "<!-- trailing comment -->   \r\n";

class XmlHandlerTest : public ::testing::Test {
protected:
    QString Write(const QByteArray& bytes) { return env.Write("AppData/WTablet/Wacom_Tablet.dat", bytes); }
    TestEnv env;
};

} // namespace

TEST_F(XmlHandlerTest, ReadsPenElementsInDocumentOrderAtAnyDepth) {
    const QByteArray body =
        "  <Other><ButtonName>Not a pen</ButtonName></Other>\n  <!-- <TransducerTipButtonSettings/> -->\n" +
        PenElement("TransducerEraserSettings", "Eraser", "1 2 3 4 5 6", "900", "10", "511") +
        "  <Deep><Deeper>\n" + PenElement("TransducerTipButtonSettings", "Tip") + "  </Deeper></Deep>\n";
    TXMLHandler h(Write(Document(body)));
    ASSERT_TRUE(h.IsValid());
    const APen pens = h.GetPens();
    ASSERT_EQ(pens.size(), 2u);
    // The XML generation keeps no line places: only the values and the element's ordinal.
    EXPECT_EQ(pens[0], MakePen(511, 2, 1, 4, 3, 6, 5, 900, 10, "Eraser"));
    EXPECT_EQ(pens[1].ButtonName, "Tip");
    EXPECT_EQ(pens[1].NodeIndex, 1);
    EXPECT_TRUE(pens[1].CurveLine.empty());
    EXPECT_EQ(pens[1].CurveLineIndex, 0);
}

TEST_F(XmlHandlerTest, ElementTextIsAllDescendantText) {
    TXMLHandler h(Write(Quirky));
    ASSERT_TRUE(h.IsValid());
    const Pen pen = h.GetPens().at(0);
    EXPECT_EQ(pen.ButtonName, "Tip & Co");
    EXPECT_EQ(pen.UpperThreshold, 1000); // a character reference
    EXPECT_EQ(pen.LowerThreshold, 20);   // CDATA followed by text

    // Text inside nested elements and around comments counts; the first of two same-named children is used.
    const QByteArray body =
        "<TransducerTipButtonSettings><ButtonName>T<b>i</b><!--x-->p</ButtonName>"
        "<PressureResolution>1023</PressureResolution><PressureResolution>7</PressureResolution>"
        "<PressureCurveControlPoint>0 0 1 1 2 2</PressureCurveControlPoint>"
        "<UpperPressureThreshold>5</UpperPressureThreshold>"
        "<LowerPressureThreshold>1</LowerPressureThreshold></TransducerTipButtonSettings>";
    TXMLHandler n(Write(Document(body)));
    ASSERT_TRUE(n.IsValid());
    EXPECT_EQ(n.GetPens()[0].ButtonName, "Tip");
    EXPECT_EQ(n.GetPens()[0].PressureResolution, 1023);
}

TEST_F(XmlHandlerTest, InvalidDocuments) {
    // The only pen lacks its lower threshold: it stays with what was read before.
    QByteArray lacking = PenElement("TransducerTipButtonSettings", "Tip", "0 0 1 1 2 2", "900");
    lacking.replace("    <LowerPressureThreshold>20</LowerPressureThreshold>\n", "");
    TXMLHandler a(Write(Document(lacking)));
    EXPECT_FALSE(a.IsValid());
    ASSERT_EQ(a.GetPens().size(), 1u);
    EXPECT_EQ(a.GetPens()[0].ButtonName, "Tip");
    EXPECT_EQ(a.GetPens()[0].PressureResolution, 1023);
    EXPECT_EQ(a.GetPens()[0].UpperThreshold, 900);

    // Reading ends at the first bad pen; later pens are not read.
    TXMLHandler b(Write(Document(PenElement("TransducerTipButtonSettings", "A", "0 0 1 1 2 2 ") +
                                 PenElement("TransducerEraserSettings", "B"))));
    EXPECT_FALSE(b.IsValid());
    EXPECT_EQ(b.GetPens().size(), 1u);

    for (const QByteArray& bytes :
         {Document("<Nothing/>"), QByteArray("<?xml version=\"1.0\"?><a><b></a>"),
          QByteArray("<?xml version=\"1.0\"?>"), QByteArray(),
          Document(PenElement("TransducerTipButtonSettings", "T", "0 0 1 1 2 2", " 5 "))}) {
        TXMLHandler h(Write(bytes));
        EXPECT_FALSE(h.IsValid()) << bytes.constData();
    }
    TXMLHandler none(Write(Document("<Nothing/>")));
    EXPECT_TRUE(none.GetPens().empty());
}

TEST_F(XmlHandlerTest, UneditedDocumentSavesByteIdentical) {
    const QByteArray lf = Document(PenElement("TransducerTipButtonSettings", "Tip") +
                                   PenElement("TransducerEraserSettings", "Eraser"));
    for (const QByteArray& bytes : {Quirky, lf}) {
        TXMLHandler h(Write(bytes));
        ASSERT_TRUE(h.IsValid());
        const QString copy = env.Root() + "/out/copy.dat";
        h.SaveAs(copy);
        EXPECT_EQ(TestEnv::Read(copy), bytes);
    }

    // Storing the values as read changes nothing when they are already in their written form...
    const QString path = Write(lf);
    TXMLHandler plain(path);
    plain.StorePens(plain.GetPens());
    plain.Save();
    EXPECT_EQ(TestEnv::Read(path), lf);

    // ...and otherwise only the spelling inside the written elements.
    TXMLHandler q(Write(Quirky));
    q.StorePens(q.GetPens());
    QByteArray expected = Quirky;
    expected.replace("<UpperPressureThreshold>&#49;000<", "<UpperPressureThreshold>1000<");
    expected.replace("<LowerPressureThreshold><![CDATA[2]]>0<", "<LowerPressureThreshold>20<");
    EXPECT_EQ(q.GetBytes(), expected);
}

TEST_F(XmlHandlerTest, StoreChangesOnlyTheWrittenTexts) {
    const QByteArray bytes = Quirky;
    const QString path = Write(bytes);
    TXMLHandler h(path);
    APen pens = h.GetPens();
    pens[0].P2Y = 7;
    pens[0].P2X = -3;
    pens[0].UpperThreshold = 999;
    pens[0].LowerThreshold = 1;
    pens[0].PressureResolution = 1; // never written
    h.StorePens(pens);
    EXPECT_EQ(h.GetPens(), pens);
    h.SaveAs(path);
    QByteArray expected = bytes;
    expected.replace(">0 0 50 50 100 100<", ">0 0 7 -3 100 100<");
    expected.replace(">&#49;000<", ">999<");
    expected.replace("><![CDATA[2]]>0<", ">1<");
    EXPECT_EQ(TestEnv::Read(path), expected);

    // The saved file reads back with the new values.
    TXMLHandler again(path);
    ASSERT_TRUE(again.IsValid());
    EXPECT_EQ(again.GetPens()[0].P2X, -3);
    EXPECT_EQ(again.GetPens()[0].LowerThreshold, 1);
}

TEST_F(XmlHandlerTest, StoreFillsEmptyAndNestedValueElements) {
    const QString path = Write(Document(PenElement("TransducerTipButtonSettings", "Tip")));
    TXMLHandler h(path);
    ASSERT_TRUE(h.IsValid());
    const APen pens = h.GetPens();
    // Meanwhile the file's value elements became empty or grew children.
    QByteArray onDisk = Document(PenElement("TransducerTipButtonSettings", "Tip"));
    onDisk.replace("<UpperPressureThreshold>1000</UpperPressureThreshold>", "<UpperPressureThreshold/>");
    onDisk.replace("<LowerPressureThreshold>20</LowerPressureThreshold>",
                   "<LowerPressureThreshold a='/>'><i>2<j/></i><!-- </LowerPressureThreshold> "
                   "-->0</LowerPressureThreshold>");
    onDisk.replace("<PressureCurveControlPoint>0 0 512 512 1023 1023</PressureCurveControlPoint>",
                   "<PressureCurveControlPoint></PressureCurveControlPoint>");
    Write(onDisk);
    h.StorePens(pens);
    QByteArray expected = onDisk;
    expected.replace("<UpperPressureThreshold/>", "<UpperPressureThreshold>1000</UpperPressureThreshold>");
    expected.replace("<i>2<j/></i><!-- </LowerPressureThreshold> -->0<", "20<");
    expected.replace("<PressureCurveControlPoint></", "<PressureCurveControlPoint>0 0 512 512 1023 1023</");
    EXPECT_EQ(h.GetBytes(), expected);
}

TEST_F(XmlHandlerTest, StoreMatchesElementsByNameAndCounter) {
    const QString path = Write(Document(PenElement("TransducerTipButtonSettings", "Same") +
                                        PenElement("TransducerTipButtonSettings", "Same")));
    TXMLHandler h(path);
    APen pens = h.GetPens();
    ASSERT_EQ(pens.size(), 2u);
    pens[0].UpperThreshold = 111;
    pens[1].UpperThreshold = 222;
    h.StorePens(pens);
    h.Save();
    TXMLHandler back(path);
    EXPECT_EQ(back.GetPens()[0].UpperThreshold, 111);
    EXPECT_EQ(back.GetPens()[1].UpperThreshold, 222);

    // Once an element finds no pen, the counter stays behind and the elements after it receive nothing.
    const QByteArray renamed = Document(PenElement("TransducerTipButtonSettings", "C") +
                                        PenElement("TransducerEraserSettings", "B"));
    const QString p2 = Write(Document(PenElement("TransducerTipButtonSettings", "A") +
                                      PenElement("TransducerEraserSettings", "B")));
    TXMLHandler ab(p2);
    APen abPens = ab.GetPens();
    abPens[0].LowerThreshold = abPens[1].LowerThreshold = 1;
    Write(renamed);
    ab.StorePens(abPens);
    EXPECT_EQ(ab.GetBytes(), renamed);
}

TEST_F(XmlHandlerTest, StoreKeepsWhatOthersChangedOnDisk) {
    const QByteArray original =
        Document("  <Setting>1</Setting>\n" + PenElement("TransducerTipButtonSettings", "Tip"));
    const QString path = Write(original);
    TXMLHandler h(path);
    APen pens = h.GetPens();
    pens[0].UpperThreshold = 5;
    QByteArray changed = original;
    changed.replace("<Setting>1</Setting>", "<Setting>2</Setting>\n  <Added/>");
    Write(changed);
    h.CreateDatedBackup(); // Apply's sequence: backup, store, save
    h.StorePens(pens);
    h.SaveAs(path);
    changed.replace("<UpperPressureThreshold>1000<", "<UpperPressureThreshold>5<");
    EXPECT_EQ(TestEnv::Read(path), changed);
}

TEST_F(XmlHandlerTest, StoreStopsSilentlyAtAMissingElement) {
    const QString path = Write(Document(PenElement("TransducerTipButtonSettings", "A") +
                                        PenElement("TransducerEraserSettings", "B")));
    TXMLHandler h(path);
    APen pens = h.GetPens();
    pens[0].UpperThreshold = pens[1].UpperThreshold = 7;
    QByteArray onDisk = Document(PenElement("TransducerTipButtonSettings", "A") +
                                 PenElement("TransducerEraserSettings", "B"));
    const qsizetype second = onDisk.indexOf("<TransducerEraserSettings>");
    onDisk.replace(onDisk.indexOf("<LowerPressureThreshold>", second),
                   qsizetype(sizeof("<LowerPressureThreshold>20</LowerPressureThreshold>") - 1), "");
    Write(onDisk);
    EXPECT_NO_THROW(h.StorePens(pens));
    // The first pen and the second pen's upper value (set before the missing element) are written.
    QByteArray expected = onDisk;
    expected.replace("<UpperPressureThreshold>1000<", "<UpperPressureThreshold>7<");
    EXPECT_EQ(h.GetBytes(), expected);
}

TEST_F(XmlHandlerTest, PenNestedInsideAValueElementIsNotWrittenTwice) {
    const QByteArray inner = PenElement("TransducerEraserSettings", "E");
    TXMLHandler h(Write(Document(PenElement("TransducerTipButtonSettings", "T") + inner)));
    ASSERT_EQ(h.GetPens().size(), 2u);
    APen pens = h.GetPens();
    pens[0].UpperThreshold = 4;
    pens[1].UpperThreshold = 3;
    // On disk the eraser moved into the tip's upper threshold: writing that value removes it.
    QByteArray nested = Document(PenElement("TransducerTipButtonSettings", "T"));
    nested.replace("<UpperPressureThreshold>1000<", "<UpperPressureThreshold>1000" + inner + "<");
    Write(nested);
    h.StorePens(pens);
    const QByteArray expected =
        Document(PenElement("TransducerTipButtonSettings", "T", "0 0 512 512 1023 1023", "4"));
    EXPECT_EQ(h.GetBytes(), expected);
}

TEST_F(XmlHandlerTest, FailedReloadKeepsTheDocumentAndRaises) {
    const QByteArray bytes = Document(PenElement("TransducerTipButtonSettings", "Tip"));
    const QString path = Write(bytes);
    TXMLHandler h(path);
    APen pens = h.GetPens();
    pens[0].UpperThreshold = 1;

    Write("<?xml version=\"1.0\"?><broken>");
    EXPECT_THROW(h.StorePens(pens), std::runtime_error);
    EXPECT_EQ(h.GetBytes(), bytes);

    QFile::remove(path);
    EXPECT_THROW(h.StorePens(pens), std::runtime_error);
    // What would be written over the preference file is the previous document, never an empty one.
    h.SaveAs(path);
    EXPECT_EQ(TestEnv::Read(path), bytes);
}

TEST_F(XmlHandlerTest, NoBytesMeansNothingIsWritten) {
    const QString path = env.WacomFile();
    TXMLHandler missing(path);
    EXPECT_FALSE(missing.IsValid());
    EXPECT_THROW(missing.Save(), std::runtime_error);
    EXPECT_FALSE(TestEnv::Exists(path));

    // A document that does not parse is written as it was read.
    const QString bad = Write("<?xml version=\"1.0\"?><unclosed>");
    TXMLHandler h(bad);
    EXPECT_FALSE(h.IsValid());
    h.SaveAs(env.Root() + "/bad.copy");
    EXPECT_EQ(TestEnv::Read(env.Root() + "/bad.copy"), QByteArray("<?xml version=\"1.0\"?><unclosed>"));
}

TEST_F(XmlHandlerTest, LoadFromTakesTheOtherDocument) {
    const QByteArray ownBytes = Document(PenElement("TransducerTipButtonSettings", "Own"));
    const QByteArray otherBytes = Document(PenElement("TransducerEraserSettings", "Other"));
    const QString own = Write(ownBytes);
    const QString other = env.Write("app/Backup/FirstRunBackup.bak", otherBytes);
    TXMLHandler h(own);
    h.LoadFrom(env.Root() + "/missing.bak");
    EXPECT_FALSE(h.IsValid());
    EXPECT_EQ(h.GetPens()[0].ButtonName, "Own");
    EXPECT_EQ(h.GetBytes(), ownBytes);

    h.LoadFrom(other);
    ASSERT_TRUE(h.IsValid());
    EXPECT_EQ(h.GetPens()[0].ButtonName, "Other");
    EXPECT_EQ(h.GetFileName(), own);
    h.Save();
    EXPECT_EQ(TestEnv::Read(own), otherBytes);
    h.Reload();
    EXPECT_EQ(h.GetPens()[0].ButtonName, "Other");
}

TEST_F(XmlHandlerTest, ExternalEntitiesAreNeverRead) {
    const QString secret = env.Write("secret.txt", "TOPSECRET");
    const QByteArray bytes = "<?xml version=\"1.0\"?>\n<!DOCTYPE p [ <!ENTITY s SYSTEM \"file://" +
                             secret.toUtf8() + "\"> <!ENTITY t \"&s;&s;\"> ]>\n<p>" +
                             PenElement("TransducerTipButtonSettings", "&s;&t;") + "</p>\n";
    const QString path = Write(bytes);
    TXMLHandler h(path);
    for (const Pen& pen : h.GetPens())
        EXPECT_EQ(pen.ButtonName.find("TOPSECRET"), std::string::npos);
    if (h.IsValid()) {
        h.StorePens(h.GetPens());
        h.Save();
    }
    EXPECT_EQ(TestEnv::Read(path).indexOf("TOPSECRET"), -1);
}

// Apply twice on one handler: the second store must place its texts by the bytes the first one wrote,
// whose element positions moved when a text changed length.
TEST_F(XmlHandlerTest, RepeatedStoresAndSavesPlaceEveryTextByTheCurrentBytes) {
    const QByteArray original = Document(PenElement("TransducerTipButtonSettings", "Tip") +
                                         PenElement("TransducerEraserSettings", "Eraser"));
    const QString path = Write(original);
    TXMLHandler h(path);
    APen pens = h.GetPens();
    pens[0].UpperThreshold = 5; // "1000" -> "5": everything after it moves left
    pens[1].P2X = 123456;       // and the eraser's curve grows
    h.StorePens(pens);
    h.SaveAs(path);
    pens[0].UpperThreshold = 77777;
    pens[1].LowerThreshold = 3;
    h.StorePens(pens);
    h.SaveAs(path);

    const QByteArray expected =
        Document(PenElement("TransducerTipButtonSettings", "Tip", "0 0 512 512 1023 1023", "77777") +
                 PenElement("TransducerEraserSettings", "Eraser", "0 0 512 123456 1023 1023", "1000", "3"));
    EXPECT_EQ(TestEnv::Read(path), expected);
    TXMLHandler again(path);
    EXPECT_EQ(again.GetPens(), pens);
}

// Pen elements are first tried whole, up to the first end tag of their name; where that is not the
// element's own end (a comment or an attribute holds the end tag, a pen of the same name is nested in it,
// the end lies beyond reach) the whole document is scanned there instead. Both ways read and store alike.
TEST_F(XmlHandlerTest, PenElementsWhoseFirstEndTagIsNotTheirOwnReadAndStoreAlike) {
    QByteArray commented = PenElement("TransducerTipButtonSettings", "Commented", "1 1 2 2 3 3");
    commented.replace("<ButtonName>", "<!-- </TransducerTipButtonSettings> --><ButtonName>");
    QByteArray nested = PenElement("TransducerTipButtonSettings", "Outer", "4 4 5 5 6 6");
    nested.replace("<ButtonName>", "<X a='</TransducerTipButtonSettings>'>" +
                                       PenElement("TransducerTipButtonSettings", "Inner", "7 7 8 8 9 9") +
                                       "</X><ButtonName>");
    QByteArray far = PenElement("TransducerEraserSettings", "Far", "10 10 11 11 12 12");
    far.replace("<ButtonName>", "<Padding>" + QByteArray(100 * 1024, 'p') + "</Padding><ButtonName>");
    const QByteArray plain = PenElement("TransducerEraserSettings", "Plain", "13 13 14 14 15 15");
    const QString path = Write(Document(commented + nested + far + plain));

    TXMLHandler h(path);
    ASSERT_TRUE(h.IsValid());
    APen pens = h.GetPens();
    std::vector<std::string> names;
    for (const Pen& p : pens)
        names.push_back(p.ButtonName);
    EXPECT_EQ(names, (std::vector<std::string>{"Commented", "Outer", "Inner", "Far", "Plain"}));
    EXPECT_EQ(CurveText(pens[2]), "7 7 8 8 9 9");

    for (Pen& p : pens)
        p.LowerThreshold = 40 + p.NodeIndex;
    h.StorePens(pens);
    h.Save();
    TXMLHandler back(path);
    ASSERT_TRUE(back.IsValid());
    EXPECT_EQ(back.GetPens(), pens);
}
