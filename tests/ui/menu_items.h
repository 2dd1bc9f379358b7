// Finding the items of the source and target menus by their names.
#pragma once

#include <QString>

class QAction;
class QMenu;
class QWidget;

// The item of `menu` named `name`, or nullptr.
QAction* Item(QMenu& menu, const QString& name);
// Builds the field's menu with a right-button press and gives its item `name`.
QAction* BuiltItem(QWidget* field, QMenu& menu, const QString& name);
