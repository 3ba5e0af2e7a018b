#include "app/widgets/accessibility.h"

#include <QLabel>
#include <QWidget>

namespace zov::app {

namespace {

bool isQtInternalName(const QString& name) {
    return name.startsWith(QLatin1String("qt_"));
}

QString nameFromLabel(const QLabel& label) {
    QString name = label.text();
    name.remove(QLatin1Char('&'));
    name = name.trimmed();
    if (name.endsWith(QLatin1Char(':'))) {
        name.chop(1);
    }
    return name.trimmed();
}

void describe(QWidget* widget) {
    const QString name = widget->objectName();
    if (!name.isEmpty() && !isQtInternalName(name) && widget->accessibleDescription().isEmpty()) {
        widget->setAccessibleDescription(name);
    }
}

void nameBuddy(const QLabel& label) {
    QWidget* buddy = label.buddy();
    if (buddy != nullptr && buddy->accessibleName().isEmpty()) {
        buddy->setAccessibleName(nameFromLabel(label));
    }
}

}  // namespace

void applyProtocolNames(QWidget* root) {
    if (root == nullptr) {
        return;
    }
    describe(root);
    for (QWidget* widget : root->findChildren<QWidget*>()) {
        describe(widget);
    }
    for (const QLabel* label : root->findChildren<QLabel*>()) {
        nameBuddy(*label);
    }
}

}  // namespace zov::app
