#include "menu_items.h"

#include <QAction>
#include <QMenu>
#include <QTest>

QAction* Item(QMenu& menu, const QString& name) {
    for (QAction* item : menu.actions()) {
        if (item->objectName() == name) {
            return item;
        }
    }
    return nullptr;
}

QAction* BuiltItem(QWidget* field, QMenu& menu, const QString& name) {
    QTest::mousePress(field, Qt::RightButton);
    return Item(menu, name);
}
