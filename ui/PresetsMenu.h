#pragma once
// The "Curve Presets" submenu: the built-in curves, each with a small picture of its shape, the saved ones,
// "Save Curve as Preset..." and "Manage Presets...". The entries, their pictures and the saved presets'
// file are made when the menu is first opened, so that they cost the start-up nothing.

#include "data/CurvePresets.h"

#include <QDialog>
#include <QMenu>

#include <functional>
#include <memory>

class IPrompter;
class QLineEdit;
class QListWidget;
class QPushButton;

// Asks for a preset's name.
class TFormPresetName : public QDialog {
    Q_OBJECT
public:
    explicit TFormPresetName(QWidget* parent = nullptr);
    void Ask(const QString& caption, const QString& name);
    QString Name() const;
    QLineEdit* NameEdit = nullptr;
    QPushButton* OKButton = nullptr;
};

// Renames and deletes the saved presets; every change is written at once.
class TFormManagePresets : public QDialog {
    Q_OBJECT
public:
    TFormManagePresets(IPrompter& prompter, TCurvePresets& store, QWidget* parent = nullptr);
    void Fill();
    void RenameClick();
    void DeleteClick();
    QListWidget* List = nullptr;
    QPushButton* RenameButton = nullptr;
    QPushButton* DeleteButton = nullptr;
    QPushButton* CloseButton = nullptr;

private:
    IPrompter& Prompter;
    TCurvePresets& Store;
    TFormPresetName* NameForm = nullptr;
};

class TPresetsMenu : public QMenu {
    Q_OBJECT
public:
    // `shownPen` gives the pen a preset is saved from.
    TPresetsMenu(IPrompter& prompter, std::function<Pen()> shownPen, QWidget* parent = nullptr);
    ~TPresetsMenu() override;

    // Makes the entries now, if they are not made yet (opening the menu does it).
    void Build();
    TCurvePresets* Store() { return Presets.get(); }
    void SaveClick();
    void ManageClick();

signals:
    void PresetChosen(const TCurvePreset& preset);

private:
    void AddSaved();

    IPrompter& Prompter;
    std::function<Pen()> ShownPen;
    std::unique_ptr<TCurvePresets> Presets;
    QAction* SavedEnd = nullptr; // the separator before "Save Curve as Preset..."
    QList<QAction*> SavedEntries;
    TFormPresetName* NameForm = nullptr;
    TFormManagePresets* ManageForm = nullptr;
};
