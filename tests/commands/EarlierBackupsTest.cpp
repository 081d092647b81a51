// "Restore Ear&lier Backup...": the dialog of every backup in the Backup folder, its previews, "Restore"
// along the path of the backup point's restore, and "Delete".

#include "support/WindowFixture.h"

#include "graph/DrawClass.h"
#include "graph/PenPreview.h"
#include "graph/PolylineRaster.h"
#include "ui/Form_Backups.h"
#include "ui/Form_Tablet.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTreeView>

#include <QElapsedTimer>
#include <QSemaphore>

#include <algorithm>

namespace {

// Four dated backups one second apart on the day before the fixed clock, newest last; each gives the eraser
// another middle point.
const char* const DatedNames[] = {"Pen_Tablet_03-14-2026_10-00-00.bak", "Pen_Tablet_03-14-2026_10-00-01.bak",
                                  "Pen_Tablet_03-14-2026_10-00-02.bak", "Pen_Tablet_03-14-2026_10-00-03.bak"};

QByteArray Variant(int i) {
    const QByteArray curve = "0 0 " + QByteArray::number(100 * (i + 1)) + " 300 1023 1023";
    return XmlDocument(XmlPen({"Tip", "1023", "10 0 400 600 1000 1023", "900", "30"}, TipTag) +
                       XmlPen({"Eraser", "1023", curve, "1000", "20"}, EraserTag));
}

class EarlierBackups : public CommandTest {
protected:
    // A valid XML file is loaded (so the backup point exists) and the four dated backups lie beside it.
    void StartWithBackups() {
        StartOnWacom(StandardXml());
        for (int i = 0; i < 4; ++i)
            Env.Write(Env.BackupDir() + "/" + DatedNames[i], Variant(i));
        ChooseService(0);
    }

    // Opens the dialog through its menu entry; `drive` works it while it is shown. Returns the dialog's
    // result.
    int InDialog(const std::function<void(TFormBackups*)>& drive) {
        int result = -1;
        Prompter.Modals.push_back([&](QDialog* dialog) {
            auto* form = qobject_cast<TFormBackups*>(dialog);
            EXPECT_NE(form, nullptr);
            if (form)
                drive(form);
            result = dialog->result();
            return result;
        });
        EXPECT_TRUE(Trigger("RestoreEarlier1"));
        return result;
    }

    // Clicks a row and waits for what it holds to be read and shown.
    static void ClickRow(TFormBackups* d, int row, Qt::KeyboardModifiers modifiers = {}) {
        ClickRowOnly(d, row, modifiers);
        ASSERT_TRUE(d->WaitForContents(10000));
    }
    static void ClickRowOnly(TFormBackups* d, int row, Qt::KeyboardModifiers modifiers = {}) {
        const QRect cell = d->List->visualRect(d->List->model()->index(row, 0));
        ASSERT_TRUE(cell.isValid()) << "row " << row;
        QTest::mouseClick(d->List->viewport(), Qt::LeftButton, modifiers, cell.center());
    }
    static void Push(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    static QStringList Rows(TFormBackups* d) {
        QStringList names;
        for (const BackupEntry& e : d->Entries())
            names << e.Name;
        return names;
    }
    static QString Cell(TFormBackups* d, int row, int column) {
        return d->List->model()->index(row, column).data().toString();
    }
    static QImage Shown(QLabel* label) {
        return label->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    }
    // The small graph of `pen` as the dialog draws it, at its own density.
    static QImage Preview(TFormBackups* d, const Pen* pen) {
        return DrawPenPreview(pen, TFormBackups::PreviewSide, d->devicePixelRatioF());
    }
};

} // namespace

TEST_F(EarlierBackups, TheEntryFollowsTheBackupPointRestoreAndBuildsItsDialogOnlyWhenOpened) {
    StartOnWacom(StandardXml());
    const QList<QAction*> entries = Ctl<QMenu>("Edit1")->actions();
    const int at = entries.indexOf(Act("Replace1"));
    ASSERT_GE(at, 0);
    ASSERT_EQ(entries.size(), at + 2);
    EXPECT_EQ(entries[at + 1], Act("RestoreEarlier1"));
    EXPECT_EQ(Act("RestoreEarlier1")->text(), "Restore Ear&lier Backup...");
    EXPECT_TRUE(Act("RestoreEarlier1")->isEnabled());
    EXPECT_EQ(WindowWidget()->findChild<TFormBackups*>(), nullptr) << "not built at start-up";

    // A file opened from elsewhere: neither restore is offered. An invalid file: neither either.
    Prompter.Files.push_back(Env.Write(Env.Root() + "/configs/Mine.dat", StandardText()));
    ASSERT_TRUE(Trigger("Open1"));
    EXPECT_FALSE(Act("Replace1")->isEnabled());
    EXPECT_FALSE(Act("RestoreEarlier1")->isEnabled());
    ASSERT_TRUE(Trigger("OpenDefault1"));
    EXPECT_TRUE(Act("RestoreEarlier1")->isEnabled());
    Env.Write(Env.WacomFile(), TextFile({"[Tablet]"}));
    Click("BtReset");
    EXPECT_FALSE(Act("Replace1")->isEnabled());
    EXPECT_FALSE(Act("RestoreEarlier1")->isEnabled());
}

TEST_F(EarlierBackups, ListsNewestFirstWithTheBackupPointLastAndMarksDamage) {
    StartWithBackups();
    Env.Write(Env.BackupDir() + "/Pen_Tablet_03-14-2026_09-00-00.bak", "<?xml version=\"1.0\"?><broken>");
    Env.Write(Env.BackupDir() + "/notes.txt", StandardXml());

    InDialog([&](TFormBackups* d) {
        EXPECT_EQ(d->windowTitle(), "Earlier Backups");
        EXPECT_EQ(Rows(d), QStringList({DatedNames[3], DatedNames[2], DatedNames[1], DatedNames[0],
                                        "Pen_Tablet_03-14-2026_09-00-00.bak", "FirstRunBackup.bak"}));
        ASSERT_TRUE(d->WaitForContents(10000));
        EXPECT_EQ(Cell(d, 0, 0), BackupTimeText(d->Entries()[0]));
        EXPECT_EQ(Cell(d, 0, 1), "XML");
        EXPECT_EQ(Cell(d, 0, 2), "2");
        EXPECT_EQ(Cell(d, 0, 3), "");
        EXPECT_EQ(Cell(d, 4, 2), "");
        EXPECT_EQ(Cell(d, 4, 3), "damaged");
        EXPECT_EQ(Cell(d, 5, 3), "backup point");

        ClickRow(d, 4);
        EXPECT_FALSE(d->BtRestore->isEnabled()) << "a damaged backup cannot be restored";
        EXPECT_TRUE(d->BtDelete->isEnabled());
        ClickRow(d, 0);
        EXPECT_TRUE(d->BtRestore->isEnabled());
        ClickRow(d, 5, Qt::ControlModifier);
        EXPECT_FALSE(d->BtDelete->isEnabled()) << "the backup point among the selection";
        Push(d->BtClose);
    });
    EXPECT_TRUE(Questions().empty());
}

TEST_F(EarlierBackups, RestoringTheThirdNewestPutsItsBytesBackAfterADatedBackupThenRestartsAndReloads) {
    StartWithBackups();
    const std::string before = Bytes(Env.WacomFile());

    Answer(IDYES);
    const int result = InDialog([&](TFormBackups* d) {
        ClickRow(d, 2);
        Push(d->BtRestore);
    });

    EXPECT_EQ(result, QDialog::Accepted) << "the dialog closes after the restore";
    const auto asked = Questions();
    ASSERT_EQ(asked.size(), 1u);
    ExpectQuestion(asked[0], "Restore config", RestoreText);
    EXPECT_EQ(Bytes(Env.WacomFile()), Str(Variant(1)));
    const QString saved = Env.BackupDir() + "/" + FirstBackupName;
    EXPECT_EQ(Bytes(saved), before) << "the replaced file went into a dated backup first";
    EXPECT_EQ(Env.DatedBackups().size(), 5u);
    ASSERT_EQ(Starts().size(), 1u);
    EXPECT_EQ(Starts()[0].Parameters, RestartLine("WTabletServicePro"));
    EXPECT_TRUE(Prompter.Messages().isEmpty()) << Prompter.Messages().join(" | ").toStdString();
    EXPECT_EQ(PenIndex(), 1);
    EXPECT_EQ(ListingLines()[6], "PressureCurveControlPoint 0 0 200 300 1023 1023") << "read anew";
}

TEST_F(EarlierBackups, ABackupOfTheOtherFormatIsNotOfferedAndRestoreAnsweredNoChangesNothing) {
    StartWithBackups();
    Env.Write(Env.BackupDir() + "/Pen_Tablet_03-14-2026_11-00-00.bak", StandardText());
    const std::string before = Bytes(Env.WacomFile());

    Answer(IDNO);
    const int result = InDialog([&](TFormBackups* d) {
        ClickRow(d, 0);
        EXPECT_EQ(Cell(d, 0, 1), "text");
        EXPECT_EQ(Cell(d, 0, 3), "other format: XML in use");
        EXPECT_FALSE(d->BtRestore->isEnabled());
        ClickRow(d, 1);
        Push(d->BtRestore); // answered No
        EXPECT_TRUE(d->isVisible());
        Push(d->BtClose);
    });

    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(Questions().size(), 1u);
    EXPECT_TRUE(Prompter.Messages().isEmpty());
    EXPECT_EQ(Bytes(Env.WacomFile()), before);
    EXPECT_EQ(Env.DatedBackups().size(), 5u) << "no dated backup was added";
    EXPECT_TRUE(Starts().empty());
}

// The row is checked again right before the file is read, after the question: a name that meanwhile took a
// link leading out of the folder (or a pipe, which the same check refuses) is not read.
TEST_F(EarlierBackups, ARowTurnedIntoALinkLeadingOutWhileAskingIsRefusedUnread) {
    StartWithBackups();
    const std::string before = Bytes(Env.WacomFile());
    const QString entry = Env.BackupDir() + "/" + DatedNames[3];
    const QString outside = Env.Write(Env.Root() + "/outside.dat", Variant(0));
    Answer(IDYES);
    Prompter.WhileAsking = [&] {
        QFile::remove(entry);
        QFile::link(outside, entry);
    };
    InDialog([&](TFormBackups* d) {
        ClickRow(d, 0);
        Push(d->BtRestore);
        Push(d->BtClose);
    });
    EXPECT_EQ(Questions().size(), 1u);
#ifdef _WIN32
    // QFile::link makes a shortcut file on Windows: a plain file of the folder, read as the row's backup
    // instead of the file it names. It is no XML, so the file in use stays as it was.
    EXPECT_EQ(Prompter.Messages(), QStringList({"Different config versions : XML vs Non-XML"}));
#else
    EXPECT_EQ(Prompter.Messages(), QStringList({"Unable to locate valid Backup file..."}));
#endif
    EXPECT_EQ(Bytes(Env.WacomFile()), before);
    EXPECT_EQ(Env.DatedBackups().size(), 4u);
}

// Reads held back until the dialog has closed (or, for a fault that waits for them, a few seconds).
TEST_F(EarlierBackups, SelectingARowAndClosingNeverWaitForARead) {
    StartWithBackups();
    InDialog([](TFormBackups* d) { Push(d->BtClose); });
    auto* form = WindowWidget()->findChild<TFormBackups*>();
    QSemaphore gate;
    form->SetReader([&](const QString& folder, const BackupEntry& e) {
        gate.tryAcquire(1, 5000);
        return ReadBackup(folder, e);
    });
    QElapsedTimer clock;
    clock.start();
    InDialog([&](TFormBackups* d) {
        ClickRowOnly(d, 1);
        EXPECT_EQ(d->LabelBackup->text(), "Reading...");
        EXPECT_FALSE(d->BtRestore->isEnabled());
        Push(d->BtClose);
    });
    EXPECT_LT(clock.elapsed(), 2500);
    gate.release(100);
    form->StopReading();
    form->SetReader(ReadBackup);
}

TEST_F(EarlierBackups, ABackupDamagedAfterItWasChosenIsRefusedAndNothingIsWritten) {
    StartWithBackups();
    const std::string before = Bytes(Env.WacomFile());

    Answer(IDYES);
    InDialog([&](TFormBackups* d) {
        ClickRow(d, 0);
        ASSERT_TRUE(d->BtRestore->isEnabled());
        Env.Write(Env.BackupDir() + "/" + DatedNames[3],
                  "<?xml version=\"1.0\"?>\r\n<TabletPreferences/>\r\n");
        Push(d->BtRestore);
        Push(d->BtClose);
    });

    EXPECT_EQ(Prompter.Messages(), QStringList({"Unable to locate valid Backup file..."}));
    EXPECT_EQ(Bytes(Env.WacomFile()), before);
    EXPECT_EQ(Env.DatedBackups().size(), 4u);
    EXPECT_TRUE(Starts().empty());
}

TEST_F(EarlierBackups, DeleteAsksFirstAndRemovesOnlyTheSelectedFiles) {
    StartWithBackups();

    Answer(IDNO);
    Answer(IDYES);
    InDialog([&](TFormBackups* d) {
        ClickRow(d, 0);
        ClickRow(d, 2, Qt::ControlModifier);
        Push(d->BtDelete);
        EXPECT_EQ(Rows(d).size(), 5) << "answered No";
        Push(d->BtDelete);
        EXPECT_EQ(Rows(d), QStringList({DatedNames[2], DatedNames[0], "FirstRunBackup.bak"}));
        EXPECT_FALSE(d->BtDelete->isEnabled()) << "nothing is selected any more";
        Push(d->BtClose);
    });

    const auto asked = Questions();
    ASSERT_EQ(asked.size(), 2u);
    ExpectQuestion(asked[1], "Delete backups", "Delete the 2 selected backups?");
    EXPECT_EQ(Env.DatedBackups(), QStringList({DatedNames[0], DatedNames[2]}));
    EXPECT_EQ(Bytes(Env.BackupDir() + "/" + DatedNames[2]), Str(Variant(2)));
    EXPECT_TRUE(TestEnv::Exists(Env.BackupPoint()));
    EXPECT_TRUE(TestEnv::Exists(Env.WacomFile()));
}

TEST_F(EarlierBackups, TheBackupsCurveOfTheChosenPenIsDrawnBesideTheCurveInUse) {
    StartWithBackups();
    // A backup whose second pen has another name: it has no curve of the eraser to show.
    Env.Write(Env.BackupDir() + "/Pen_Tablet_03-14-2026_11-00-00.bak",
              XmlDocument(XmlPen({"Tip", "1023", "1 2 3 4 5 6", "900", "30"}, TipTag) +
                          XmlPen({"Other", "1023", "0 0 1 1 1023 1023", "1000", "20"}, EraserTag)));
    Drag(EraserMiddle, Target); // the curve in use is the edited one, not yet applied
    const APen inUse = Window()->GetGraph()->GetPens();

    InDialog([&](TFormBackups* d) {
        EXPECT_EQ(Shown(d->ImCurrent), Preview(d, &inUse[1]));
        EXPECT_EQ(d->LabelCurrent->text(), "Eraser\nCurve: 0 0 619 619 1023 1023\nUpper: 1000   Lower: 20");

        ClickRow(d, 1);
        Pen expected = inUse[1];
        ASSERT_TRUE(CurveFromText("0 0 400 300 1023 1023", expected));
        EXPECT_EQ(Shown(d->ImBackup), Preview(d, &expected));
        EXPECT_TRUE(
            d->LabelBackup->text().endsWith("\nCurve: 0 0 400 300 1023 1023\nUpper: 1000   Lower: 20"))
            << d->LabelBackup->text().toStdString();

        ClickRow(d, 0);
        EXPECT_EQ(Shown(d->ImBackup), Preview(d, nullptr));
        EXPECT_EQ(d->LabelBackup->text(), "No pen \"Eraser\" at this place.");
        Push(d->BtClose);
    });

    // Another pen chosen in the window: the dialog follows it.
    SelectPen(0);
    InDialog([&](TFormBackups* d) {
        ClickRow(d, 0);
        Pen expected = inUse[0];
        ASSERT_TRUE(CurveFromText("1 2 3 4 5 6", expected));
        EXPECT_EQ(Shown(d->ImBackup), Preview(d, &expected));
        Push(d->BtClose);
    });
}

// ctest runs the HighDensity suites again at scale factors 1, 1.5 and 2, on a second screen of twice the
// density.
class HighDensityEarlierBackups : public EarlierBackups {};

TEST_F(HighDensityEarlierBackups, TheSmallGraphsAreDrawnAtTheDensityOfTheDialogsScreen) {
    StartWithBackups();
    const APen inUse = Window()->GetGraph()->GetPens();
    const int side = TFormBackups::PreviewSide;
    const auto expectDrawnAtRatio = [&](TFormBackups* d, const Pen& backupPen) {
        const double r = std::max(1.0, d->devicePixelRatioF());
        for (QLabel* label : {d->ImCurrent, d->ImBackup}) {
            EXPECT_EQ(label->size(), QSize(side, side)) << "the graphs keep their place and size";
            EXPECT_EQ(label->pixmap().devicePixelRatio(), r);
            EXPECT_EQ(label->pixmap().size(), TDeviceScale(r).DeviceSize(QSize(side, side)));
        }
        EXPECT_EQ(Shown(d->ImCurrent), DrawPenPreview(&inUse[1], side, r));
        EXPECT_EQ(Shown(d->ImBackup), DrawPenPreview(&backupPen, side, r));
    };

    InDialog([&](TFormBackups* d) {
        ClickRow(d, 1);
        Pen backupPen = inUse[1];
        ASSERT_TRUE(CurveFromText("0 0 300 300 1023 1023", backupPen));
        expectDrawnAtRatio(d, backupPen);

        // Moved to a screen of another density, both graphs are drawn again at its density.
        QScreen* home = d->screen();
        QScreen* other = nullptr;
        for (QScreen* s : QGuiApplication::screens())
            if (s->devicePixelRatio() != home->devicePixelRatio())
                other = s;
        if (!other)
            return; // a platform of one screen
        const QPoint place = d->pos();
        d->move(other->geometry().topLeft() + QPoint(40, 40));
        QApplication::processEvents();
        ASSERT_EQ(d->screen(), other);
        EXPECT_NE(d->devicePixelRatioF(), home->devicePixelRatio());
        expectDrawnAtRatio(d, backupPen);
        d->move(place);
        QApplication::processEvents();
        expectDrawnAtRatio(d, backupPen);
        Push(d->BtClose);
    });
}
