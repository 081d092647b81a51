#include "ui/Resources.h"
#include "support/ScriptedPrompter.h"
#include "ui/ButtonShield.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFileDialog>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

int Grey(const QImage& image, int x, int y) {
    return qGray(image.pixel(x, y));
}

TEST(Pictures, EachJpegDecodesAtItsDesignSize) {
    const std::pair<const char*, QSize> pictures[] = {
        {ImageRightResource, {25, 500}}, {ImageBottomResource, {500, 25}}, {ImWarnResource, {20, 20}}};
    for (const auto& [path, size] : pictures) {
        const QImage image = LoadJpegResource(path);
        ASSERT_FALSE(image.isNull()) << path;
        EXPECT_EQ(image.size(), size) << path;
    }
}

TEST(Pictures, StripsShadeTheWayTheAxesRun) {
    const QImage right = LoadJpegResource(ImageRightResource);
    ASSERT_FALSE(right.isNull());
    EXPECT_LT(Grey(right, 2, 150), Grey(right, 2, 480)) << "dark at the top, light at the bottom";
    const QImage bottom = LoadJpegResource(ImageBottomResource);
    ASSERT_FALSE(bottom.isNull());
    EXPECT_GT(Grey(bottom, 10, 2), Grey(bottom, 490, 2)) << "light at the left, dark at the right";
    const QImage warn = LoadJpegResource(ImWarnResource);
    ASSERT_FALSE(warn.isNull());
    const QColor inside = warn.pixelColor(6, 15); // inside the triangle, beside the mark
    EXPECT_GT(inside.red(), 200);
    EXPECT_GT(inside.green(), 160);
    EXPECT_LT(inside.blue(), 80) << "yellow";
}

TEST(Pictures, DecodingGivesTheSamePixelsAsQtsOwnReader) {
    // Both decoders follow the same standard; allow for their different up-sampling and rounding.
    const QImage ours = LoadJpegResource(ImageBottomResource);
    const QImage theirs = QImage(ImageBottomResource).convertToFormat(QImage::Format_RGB32);
    if (theirs.isNull())
        GTEST_SKIP() << "Qt's JPEG plug-in is not installed";
    ASSERT_EQ(ours.size(), theirs.size());
    for (int x = 0; x < ours.width(); x += 7)
        EXPECT_NEAR(Grey(ours, x, 12), Grey(theirs, x, 12), 3) << x;
}

TEST(Pictures, MissingOrDamagedFilesGiveANullImage) {
    EXPECT_TRUE(LoadJpegResource(":/nibwright/none.jpg").isNull());
    QTemporaryDir dir;
    const auto write = [&](const char* name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    };
    EXPECT_TRUE(LoadJpegResource(write("empty.jpg", {})).isNull());
    EXPECT_TRUE(LoadJpegResource(write("text.jpg", "not a picture at all")).isNull());
    EXPECT_TRUE(LoadJpegResource(write("png.jpg",
                                       [] {
                                           QFile f(IconResource);
                                           f.open(QIODevice::ReadOnly);
                                           return f.readAll();
                                       }()))
                    .isNull());
    QFile real(ImWarnResource);
    ASSERT_TRUE(real.open(QIODevice::ReadOnly));
    const QByteArray head = real.read(40); // start of the markers, no frame data
    EXPECT_TRUE(LoadJpegResource(write("head.jpg", head)).isNull());
}

TEST(Pictures, DamagedBytesAreDecodedOrRefusedWithoutHarm) {
    QFile real(ImWarnResource);
    ASSERT_TRUE(real.open(QIODevice::ReadOnly));
    const QByteArray good = real.readAll();
    QTemporaryDir dir;
    const QString path = dir.filePath("damaged.jpg");
    uint32_t seed = 12345;
    const auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes = good;
        for (int i = 0; i < 4; ++i)
            bytes[static_cast<qsizetype>(next() % bytes.size())] = static_cast<char>(next() >> 16);
        if (round % 3 == 0)
            bytes.truncate(static_cast<qsizetype>(next() % bytes.size()));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        const QImage image = LoadJpegResource(path);
        if (!image.isNull()) { // a damaged stream may still decode; its size stays within the limit
            EXPECT_LE(image.width() * image.height(), 8192 * 8192) << round;
        }
    }
}

TEST(Pictures, GreyJpegDecodesToTheSameGreys) {
    QImage grey(9, 4, QImage::Format_Grayscale8);
    for (int y = 0; y < grey.height(); ++y)
        for (int x = 0; x < grey.width(); ++x)
            grey.scanLine(y)[x] = static_cast<uchar>(x * 30);
    QTemporaryDir dir;
    const QString path = dir.filePath("grey.jpg");
    if (!grey.save(path, "JPG", 100))
        GTEST_SKIP() << "Qt's JPEG plug-in is not installed";
    const QImage decoded = LoadJpegResource(path);
    ASSERT_EQ(decoded.size(), grey.size());
    for (int x = 0; x < grey.width(); ++x)
        EXPECT_NEAR(Grey(decoded, x, 2), x * 30, 4) << x;
}

TEST(Pictures, WindowIconIsCompiledIn) {
    const QIcon icon(IconResource);
    EXPECT_FALSE(icon.isNull());
    EXPECT_FALSE(icon.pixmap(32, 32).isNull());
}

TEST(ButtonShieldTest, SetsAndClearsTheShieldIcon) {
    QPushButton button("Apply Changes");
    SetButtonShield(&button, true);
    ASSERT_FALSE(button.icon().isNull());
    const QIcon styleShield = button.style()->standardIcon(QStyle::SP_VistaShield, nullptr, &button);
    if (!styleShield.isNull()) { // the style's own shield where it has one
        EXPECT_EQ(button.icon().pixmap(16, 16).toImage(), styleShield.pixmap(16, 16).toImage());
    }
    EXPECT_FALSE(button.icon().pixmap(16, 16).isNull());
    SetButtonShield(&button, false);
    EXPECT_TRUE(button.icon().isNull());
    SetButtonShield(nullptr, true); // no button: nothing happens
}

// Runs `answer` on the modal box that `show` opens, once it is up: looked for again every 10 ms, since a
// platform may show the box only after the modal loop has begun.
template <class Box> void WhenShown(std::function<void(Box*)> answer, int tries = 500) {
    QTimer::singleShot(tries == 500 ? 0 : 10, [answer, tries] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<Box*>(w); box && box->isVisible()) {
                answer(box);
                return;
            }
        if (tries > 0)
            WhenShown<Box>(answer, tries - 1);
        else
            ADD_FAILURE() << "no box shown";
    });
}

TEST(RealPrompter, QuestionIsAYesNoWarningWithYesAsDefault) {
    QtPrompter prompter;
    WhenShown<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->windowTitle(), "Apply changes");
        EXPECT_EQ(box->text(), "Apply New Settings?\r\n\r\n(Please close all tablet-related applications)");
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Yes));
        EXPECT_EQ(box->parentWidget(), nullptr);
        box->button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(prompter.Question("Apply changes",
                                "Apply New Settings?\r\n\r\n(Please close all tablet-related applications)",
                                MB_YESNO | MB_ICONWARNING),
              IDYES);
    WhenShown<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::No)->click(); });
    EXPECT_EQ(prompter.Question("Save Changes", "Save Changes?", 0x34), IDNO);
    WhenShown<QMessageBox>([](QMessageBox* box) { box->reject(); });
    EXPECT_EQ(prompter.Question("Save Changes", "Save Changes?", 0x34), IDNO) << "closing the box is not Yes";
}

TEST(RealPrompter, MessageAndErrorAreCaptionedWithOneOk) {
    QtPrompter prompter;
    for (bool error : {false, true}) {
        WhenShown<QMessageBox>([error](QMessageBox* box) {
            EXPECT_EQ(box->windowTitle(), "Nibwright");
            EXPECT_EQ(box->text(), "Save File Error...");
            EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
            EXPECT_EQ(box->icon(), error ? QMessageBox::Critical : QMessageBox::NoIcon);
            box->button(QMessageBox::Ok)->click();
        });
        if (error)
            prompter.Error("Save File Error...");
        else
            prompter.Message("Save File Error...");
    }
}

TEST(RealPrompter, OpenFileHonoursTheOptions) {
    QTemporaryDir dir;
    QtPrompter prompter;
    OpenFileOptions options;
    options.Filters = QStringList{"Dat (*.dat;)", "All Fles (*.*;)"};
    options.Directory = dir.path();
    WhenShown<QFileDialog>([&](QFileDialog* d) {
        EXPECT_EQ(d->fileMode(), QFileDialog::AnyFile) << "the chosen file need not exist";
        // The trailing semicolons of the system's pattern lists are not part of Qt's patterns.
        EXPECT_EQ(d->nameFilters(), QStringList({"Dat (*.dat)", "All Fles (*.*)"}));
        EXPECT_TRUE(d->filter() & QDir::Hidden);
        EXPECT_EQ(QDir(d->directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
        d->selectFile(dir.filePath("new.dat"));
        static_cast<QDialog*>(d)->accept();
    });
    const auto chosen = prompter.OpenFile(nullptr, options);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(QDir(*chosen).dirName(), "new.dat");

    WhenShown<QFileDialog>([](QFileDialog* d) { d->reject(); });
    EXPECT_FALSE(prompter.OpenFile(nullptr, options).has_value());

    options.MustExist = true;
    WhenShown<QFileDialog>([](QFileDialog* d) {
        EXPECT_EQ(d->fileMode(), QFileDialog::ExistingFile);
        d->reject();
    });
    EXPECT_FALSE(prompter.OpenFile(nullptr, options).has_value());
}

TEST(RealPrompter, OpenFileListsDatFilesHiddenOnesIncluded) {
    QTemporaryDir dir;
    for (const char* name : {"Pen_Tablet.dat", ".hidden.dat", "notes.txt"}) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QtPrompter prompter;
    OpenFileOptions options;
    options.Filters = QStringList{"Dat (*.dat;)", "All Fles (*.*;)"};
    options.Directory = dir.path();
    QStringList listed;
    WhenShown<QFileDialog>([&](QFileDialog* d) {
        auto* view = d->findChild<QAbstractItemView*>(QStringLiteral("listView"));
        ASSERT_NE(view, nullptr);
        // The folder is read in the background; wait until its files are in the view.
        EXPECT_TRUE(QTest::qWaitFor([&] { return view->model()->rowCount(view->rootIndex()) >= 2; }, 5000));
        for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
            listed << view->model()->index(row, 0, view->rootIndex()).data().toString();
        d->reject();
    });
    prompter.OpenFile(nullptr, options);
    listed.sort();
    EXPECT_EQ(listed, QStringList({".hidden.dat", "Pen_Tablet.dat"}));
}

} // namespace
