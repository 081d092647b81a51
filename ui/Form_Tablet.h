#pragma once
// The main window: the pen list, the pressure graph, the limiter and service switches, the four command
// buttons and the menus. It owns the handler of the loaded preference file and the graph, reads its settings
// when created and writes them when destroyed, and every load ends in one of four control states (default
// file, other file, invalid file, no file).

#include "data/typeDef.h"
#include "graph/PenHistory.h"
#include "ui/Form_PressureTest.h"

#include <QMainWindow>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class IPrompter;
class TDrawClass;
class TFileHandler;
class TFormBackups;
class TGraphImage;
class TFormApplyCurve;
class TPresetsMenu;
struct TCurvePreset;
struct UserReport;
class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;

class TTabletForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TTabletForm(IPrompter& prompter, QWidget* parent = nullptr);
    ~TTabletForm() override;

    // The window's events: creation (run by the constructor), the showing (run before the window becomes
    // visible) and the end of the run (run by the destructor, once).
    void FormCreate();
    void FormShow();
    void FormDestroy();

    // Locates, loads and presents a preference file; see the .cpp for the order of the steps.
    void LoadConfig(bool askUser, bool keepPath);
    bool IsConfigValid() const;
    void EnableControls();
    void DisableControls();
    void RestrictNonDefault();

    void SetSmallLayout();
    void SetBigLayout();

    // The client area: the window without its menu bar (the status bar belongs to it).
    int ClientWidth() const;
    int ClientHeight() const;
    void SetClientWidth(int width);
    void SetClientHeight(int height);

    // The text of the status bar's panel.
    QString StatusText() const;
    const QString& GetConfigPath() const { return ConfigPath; }
    TFileHandler* GetFileHandler() const { return FileHandler.get(); }
    TDrawClass* GetGraph() const { return Graph.get(); }
    // The Pressure Test window; nullptr until first opened.
    TFormPressureTest* GetPressureTest() const { return PressureTest.get(); }
    TPenHistory* GetHistory() const { return History.get(); }

    // The three default preference files, APPDATA read afresh: 0 Wacom_Tablet.dat, 1 Pen_Tablet.dat, 2
    // ISD_Tablet.dat.
    static QString DefaultConfigPath(int which);
    // DataFolder + "Nibwright.ini" (AppFolder for a portable copy).
    static QString SettingsPath();

    // Controls, by their designer names.
    QGroupBox* GroupBox1 = nullptr;
    TGraphImage* Image = nullptr;
    QLabel* Image_Right = nullptr;
    QLabel* Image_Bottom = nullptr;
    QLabel* ImWarn = nullptr;
    QLabel* Label3 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QComboBox* ComboBox = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QLabel* LabelOP = nullptr;
    QLabel* LabelPX = nullptr;
    QLabel* LabelIP = nullptr;
    QLabel* LabelPY = nullptr;
    QGroupBox* GroupBox4 = nullptr;
    QCheckBox* CBLimitP = nullptr;
    QCheckBox* CbLimitMp = nullptr;
    QCheckBox* CbLimitT = nullptr;
    QCheckBox* CbService = nullptr;
    QComboBox* CBoxService = nullptr;
    QPushButton* BtGenerateinfo = nullptr;
    QPushButton* BtModifyValues = nullptr;
    QPushButton* BtApply = nullptr;
    QPushButton* BtReset = nullptr;
    QLabel* StatusPanel = nullptr;

    // Menus and their entries.
    QMenu* File1 = nullptr;
    QAction* Open1 = nullptr;
    QAction* OpenDefault1 = nullptr;
    QAction* N4 = nullptr;
    QAction* Save1 = nullptr;
    QAction* N2 = nullptr;
    QAction* Exit1 = nullptr;
    QMenu* Edit2 = nullptr; // "&Edit": undo and redo of the pen edits
    QAction* Undo1 = nullptr;
    QAction* Redo1 = nullptr;
    QAction* N5 = nullptr;
    QAction* CopyCurve1 = nullptr;
    QAction* PasteCurve1 = nullptr;
    QAction* ApplyToPens1 = nullptr;
    TPresetsMenu* Presets1 = nullptr;
    QMenu* Edit1 = nullptr;
    QAction* ManuallySetFirstRunBackup1 = nullptr;
    QAction* Replace1 = nullptr;
    QAction* RestoreEarlier1 = nullptr;
    QMenu* UserInterface1 = nullptr;
    QAction* Big1 = nullptr;
    QAction* Small1 = nullptr;
    QMenu* Tools1 = nullptr;
    QAction* PressureTest1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* HomePage1 = nullptr;
    QAction* N1 = nullptr;
    QAction* About1 = nullptr;

public slots:
    void ComboBoxChange();
    void ImageMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void ImageMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y);
    void ImageMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void ImageRatioChange();
    void BtApplyClick();
    void Save1Click();
    void BtResetClick();
    void Open1Click();
    void OpenDefault1Click();
    void BtGenerateinfoClick();
    void BtModifyValuesClick();
    void CBLimitPClick();
    void CbLimitTClick();
    void CbLimitMpClick();
    void CbServiceClick();
    void Exit1Click();
    void HomePage1Click();
    void About1Click();
    void ChangeFirstRunBackup1Click();
    void Replace1Click();
    void RestoreEarlier1Click();
    void Big1Click();
    void Small1Click();
    void PressureTest1Click();
    void CopyCurve1Click();
    void PasteCurve1Click();
    void ApplyToPens1Click();
    void PresetChosen(const TCurvePreset& preset);

public:
    void setVisible(bool visible) override;

private:
    void BuildControls();
    void BuildMenu();
    void CopyCaptions();
    // The handler of the file in use; none while ConfigPath holds a status text instead of its path.
    TFileHandler* HandlerInUse() const;
    // Shows what a step of the file workflow reports.
    void Show(const UserReport& report);
    void SelectDetectedService();
    void ApplyLayout(bool small);
    // The restore of "R&estore Backup Point" for any backup file: true when the file was replaced.
    // `stillThere`, when given, is asked right before the backup is read (see RestoreBackup).
    bool RestoreFrom(const QString& backup, const std::function<bool()>& stillThere = {});
    // Undo and redo: the pen goes back into the graph, is selected and shown, and the captions reset.
    void RestorePen(int index, const Pen& pen);
    void RestorePens(const std::vector<TPenHistory::Change>& changes, bool after);
    // Gives the shown pen new values as one step named by `what`, and draws it.
    void EditShownPen(TPenEdit what, const Pen& after);
    // The graph's keys (the image has the focus).
    void ImageNextHandle(bool forward, bool& handled);
    void ImageMoveHandle(int dx, int dy);
    void ImageLeaveHandle(bool& handled);
    void ImageFocusEntered(Qt::FocusReason reason);
    void ImageFocusLeft(Qt::FocusReason reason);
    // The file now holds the graph's pens: they are the curves the driver applies.
    void NoteFileCurves();

    IPrompter& Prompter;
    std::unique_ptr<TFileHandler> FileHandler;
    QString ConfigPath;
    std::unique_ptr<TDrawClass> Graph;
    std::unique_ptr<TFormPressureTest> PressureTest; // marks on Graph: goes first
    TFileCurves FileCurves;                          // the pens as last read from or written to the file
    std::unique_ptr<TPenHistory> History;
    // The shown pen as it was when the drag under way began.
    struct DragRecord {
        int Index = -1;
        Pen Before;
    };
    std::optional<DragRecord> DragStart;
    bool FirstShow = false;
    bool IsdChosen = false;
    bool Destroyed = false;
    QWidget* Client = nullptr;
    // "Earlier Backups", built when first opened.
    TFormBackups* FormBackups = nullptr;
    // "Apply Curve to Pens", built when first opened.
    TFormApplyCurve* FormApplyCurve = nullptr;
};

// The one main window of the run; nullptr until created.
extern TTabletForm* TabletForm;
