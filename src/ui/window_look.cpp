#include "ui/window_look.h"

#include <QApplication>
#include <QPalette>
#include <QStringList>
#include <QStyle>
#include <QStyleFactory>

namespace varnel {

namespace {

// Flat, light blue-grey surfaces with a single accent; buttons and fields keep thin borders.
constexpr const char* kStyleSheet = R"(
QMainWindow, QDialog, QMessageBox { background: #eef2f6; }
QMenuBar { background: #e3e9ef; border-bottom: 1px solid #c8d2dc; }
QMenuBar::item { padding: 2px 8px; background: transparent; }
QMenuBar::item:selected { background: #cddbe8; }
QMenu { background: #fbfcfd; border: 1px solid #aab6c2; padding: 2px; }
QMenu::item { padding: 3px 20px 3px 12px; }
QMenu::item:selected { background: #cddbe8; color: black; }
QMenu::separator { height: 1px; background: #c8d2dc; margin: 3px 6px; }
QPushButton {
    background: #f7f9fb; border: 1px solid #9aa7b4; border-radius: 3px; padding: 2px 8px;
    min-height: 19px;
}
QPushButton:hover { background: #e4edf5; }
QPushButton:pressed { background: #cddbe8; }
QPushButton:focus { border-color: #4a7fa8; }
QPushButton:disabled { color: #9aa3ab; background: #eef1f4; border-color: #c5ccd3; }
QLineEdit {
    background: white; border: 1px solid #9aa7b4; border-radius: 2px; padding: 0 3px;
}
QLineEdit:focus { border-color: #4a7fa8; }
QLineEdit:disabled { background: #eef1f4; color: #7b858f; }
QGroupBox {
    border: 1px solid #b7c2cd; border-radius: 3px; margin-top: 8px; background: #f3f6f9;
}
QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 3px; }
#RzStatusBar1 { background: #e3e9ef; border-top: 1px solid #c8d2dc; }
#RzStatusBar1 QLabel { padding-left: 4px; color: #33414e; }
#EsTime { border-right: 1px solid #c8d2dc; }
)";

}  // namespace

QFont WindowFont() {
    QFont font;
    font.setFamilies({QStringLiteral("SimSun"), QString::fromUtf8("宋体"),
                      QStringLiteral("NSimSun"), QStringLiteral("WenQuanYi Micro Hei"),
                      QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Droid Sans Fallback")});
    font.setPixelSize(12);
    return font;
}

void ApplyWindowLook(QApplication& app) {
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) {
        QApplication::setStyle(fusion);  // the application takes ownership
    }
    QPalette palette = QApplication::style()->standardPalette();
    palette.setColor(QPalette::Window, QColor(0xee, 0xf2, 0xf6));
    palette.setColor(QPalette::Button, QColor(0xf7, 0xf9, 0xfb));
    palette.setColor(QPalette::Highlight, QColor(0x4a, 0x7f, 0xa8));
    QApplication::setPalette(palette);
    QApplication::setFont(WindowFont());
    app.setStyleSheet(QString::fromUtf8(kStyleSheet));
}

}  // namespace varnel
