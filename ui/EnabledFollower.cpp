#include "ui/EnabledFollower.h"

#include <QAction>
#include <QEvent>
#include <QWidget>

namespace {

class TEnabledFollower : public QObject {
public:
    TEnabledFollower(QWidget* control, const QList<QAction*>& actions)
        : QObject(control), Control(control), Actions(actions) {
        control->installEventFilter(this);
        Pass();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == Control && event->type() == QEvent::EnabledChange)
            Pass();
        return QObject::eventFilter(watched, event);
    }

private:
    void Pass() {
        for (QAction* a : Actions)
            a->setEnabled(Control->isEnabled());
    }

    QWidget* Control;
    QList<QAction*> Actions;
};

} // namespace

void FollowEnabled(QWidget* control, const QList<QAction*>& actions) {
    new TEnabledFollower(control, actions);
}
