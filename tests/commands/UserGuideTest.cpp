// The user guide describes every entry of every menu, each in its menu's section by its caption in quotes,
// so that an entry added without its description fails here, named.

#include "support/UserGuide.h"
#include "support/WindowFixture.h"
#include "ui/Form_Tablet.h"

#include <QMenu>
#include <QMenuBar>

namespace {

using UserGuide = CommandTest;

// A caption as the menu shows it: without the accelerator marks.
QString Shown(QString caption) {
    caption.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    caption.remove(u'&');
    return caption.replace(u'\x01', u'&');
}

QString SectionId(const QString& menuTitle) {
    return QStringLiteral("menu-") + menuTitle.toLower().replace(u' ', u'-');
}

// The entries of a menu and of its submenus that the section does not name.
void Lacking(const QMenu* menu, const QString& title, const QString& section, QStringList& missing) {
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator())
            continue;
        const QString caption = Shown(action->text());
        if (!section.contains(u'"' + caption + u'"'))
            missing << QStringLiteral("\"%1\" in the section of the \"%2\" menu").arg(caption, title);
        if (action->menu())
            Lacking(action->menu(), title, section, missing);
    }
}

TEST_F(UserGuide, DescribesEveryMenuEntryInItsMenusSection) {
    Create();
    QStringList missing;
    for (const QAction* top : Window()->menuBar()->actions()) {
        const QString title = Shown(top->text());
        const QString section = UserGuideSection(SectionId(title));
        if (section.isEmpty())
            missing << QStringLiteral("a section id=\"%1\" for the \"%2\" menu").arg(SectionId(title), title);
        else if (top->menu())
            Lacking(top->menu(), title, section, missing);
    }
    EXPECT_TRUE(missing.isEmpty()) << "docs/guide.html lacks:\n" << missing.join(u'\n').toStdString();
}

} // namespace
