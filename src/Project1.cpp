// varnel-backup: the desktop program. Until the main window exists it says so and ends.
#include <QApplication>
#include <QMessageBox>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMessageBox::information(nullptr, QString::fromUtf8("Varnel工控机系统备份软件 10.6"),
                             QStringLiteral("The main window is not built yet."));
    return 0;
}
