// After a load that found no file the previous handler stays, out of reach; the commands that write reach it
// only through the file in use, so none of them writes its content anywhere.

#include "support/WindowFixture.h"

#include "ui/Form_Tablet.h"

#include <QDir>
#include <QFileInfo>

TEST_F(CommandTest, WithoutAFileInUseTheWritingCommandsWriteNothingAndSaySo) {
    const QByteArray original = StandardXml();
    StartOnWacom(original);
    Prompter.Files.push_back(Env.Root() + "/typed-but-missing.dat");
    ASSERT_TRUE(Trigger("Open1"));
    ASSERT_EQ(Status(), "Wacom Configuration File Not Found...");
    ASSERT_NE(Window()->GetFileHandler(), nullptr) << "the previous handler stays";

    Answer(IDYES);
    Window()->Save1Click();
    Answer(IDYES);
    Window()->BtApplyClick();
    Window()->Replace1Click();

    EXPECT_EQ(Prompter.Messages(), QStringList({"Save File Error...", "Unable to write new config...",
                                                "Unable to locate valid Backup file..."}));
    EXPECT_FALSE(QFileInfo::exists(QDir::current().filePath("Wacom Configuration File Not Found...")));
    EXPECT_EQ(Bytes(Env.WacomFile()), Str(original));
    EXPECT_TRUE(Env.DatedBackups().isEmpty());
}
