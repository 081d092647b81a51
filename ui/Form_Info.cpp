#include "ui/Form_Info.h"

#include "data/FileText.h"
#include "ui/WindowPlacement.h"

#include <QFont>
#include <QGroupBox>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextCursor>
#include <QTextDocument>

TFormInfo* FormInfo = nullptr;

TFormInfo::TFormInfo(IPrompter&, QWidget* parent) : TFormInfo(parent) {}

TFormInfo::TFormInfo(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint) {
    setObjectName(QStringLiteral("FormInfo"));
    setWindowTitle(QStringLiteral("Config Info"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setFixedSize(479, 222);
}

TFormInfo::TControls& TFormInfo::Controls() {
    if (Built)
        return Items;
    Built = true;

    Items.GroupBox1 = new QGroupBox(QStringLiteral("Global Information"), this);
    Items.GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    Items.GroupBox1->setGeometry(8, 8, 465, 177);

    QPlainTextEdit* memo = Items.Memo = new QPlainTextEdit(Items.GroupBox1);
    memo->setObjectName(QStringLiteral("Memo"));
    memo->setGeometry(10, 16, 447, 153);
    memo->setReadOnly(true);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setUndoRedoEnabled(false); // read-only: nothing to undo, and no history to keep for long listings
    memo->setPlainText(QStringLiteral("Memo"));
    LineCount = 1;

    Items.OKButton = new QPushButton(QStringLiteral("OK"), this);
    Items.OKButton->setObjectName(QStringLiteral("OKButton"));
    Items.OKButton->setGeometry(396, 191, 75, 25);
    Items.OKButton->setDefault(true);
    connect(Items.OKButton, &QPushButton::clicked, this, [this] { done(ResultOK); });
    return Items;
}

void TFormInfo::reject() {
    done(ResultCancel);
}

void TFormInfo::FillInfo(int, const APen& pens) {
    Pens = pens;
    QPlainTextEdit* memo = Memo();
    memo->clear();
    LineCount = 0;
    // One edit block for the whole listing: the memo lays its text out once, not after every line.
    QTextCursor batch(memo->document());
    batch.beginEditBlock();
    try {
        for (const std::string& line : PenInfoLines(Pens))
            AddInfoLine(line);
    } catch (...) {
        // A listing that cannot be built completely shows what was appended so far.
    }
    batch.endEditBlock();
}

void TFormInfo::AddInfoLine(const std::string& text) {
    // The memo's line count is kept here: an empty document cannot tell "no lines" from "one empty line".
    QTextCursor cursor(Memo()->document());
    cursor.movePosition(QTextCursor::End);
    if (LineCount > 0)
        cursor.insertBlock();
    cursor.insertText(FileText(text));
    ++LineCount;
}

void TFormInfo::setVisible(bool visible) {
    if (visible && !isVisible()) {
        Controls();
        CentreOnScreen(this);
    }
    QDialog::setVisible(visible);
}
