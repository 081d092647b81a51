// The bundled sample files load as the window loads them and survive a round trip unchanged.

#include "data/Data_textClass.h"
#include "data/Data_xmlClass.h"

#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <memory>

TEST(Examples, LoadWithTwoPensAndRoundTripByteForByte) {
    TestEnv env;
    for (const char* relative :
         {"examples/WTablet/Wacom_Tablet.dat", "examples/TextGeneration/WTablet/Pen_Tablet.dat"}) {
        const QByteArray bytes = TestEnv::Read(SourceDir() + "/" + relative);
        ASSERT_FALSE(bytes.isEmpty()) << relative;
        const QString path = env.Write(QString("copy/") + relative, bytes);
        std::unique_ptr<TFileHandler> h;
        if (IsXmlFile(path))
            h = std::make_unique<TXMLHandler>(path);
        else
            h = std::make_unique<TTextHandler>(path);
        ASSERT_TRUE(h->IsValid()) << relative;
        ASSERT_EQ(h->GetPens().size(), 2u) << relative;
        EXPECT_NE(h->GetPens()[0].ButtonName.find("Tip"), std::string::npos);
        EXPECT_NE(h->GetPens()[1].ButtonName.find("Eraser"), std::string::npos);
        h->StorePens(h->GetPens());
        h->Save();
        EXPECT_EQ(TestEnv::Read(path), bytes) << relative;
    }
}
