// The main window TForm1: the components of the window, its state fields, the handlers that
// wire the imaging job, the source and target menus and the progress display together, and the
// window services the job uses.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "discovery/endpoint_menu.h"
#include "engine/gauge.h"
#include "engine/window_services.h"

class QAction;
class QButtonGroup;
class QFileDialog;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMessageBox;
class QPushButton;
class QTimer;

namespace varnel {
class GaugeWidget;
}

class TForm1 : public QMainWindow, public WindowServices {
    Q_OBJECT

  public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // State fields, zero when the window is created.
    std::string SourcePath;
    std::string TargetPath;
    std::int32_t TickCount = 0;
    // StopRequested and PauseRequested are the fields behind the services of the same names.
    bool TargetIsFile = false;
    std::string DriveStem;
    std::string DevicePrefix;

    // Components, named as in the window's layout.
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QTimer* Timer1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QMenu* pops = nullptr;
    QMenu* popd = nullptr;
    QFileDialog* od = nullptr;
    QFileDialog* sd = nullptr;
    QMenu* File1 = nullptr;
    QAction* Close1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* Manual1 = nullptr;
    QAction* N1 = nullptr;
    QPushButton* Button3 = nullptr;
    QAction* About1 = nullptr;
    QPushButton* Button4 = nullptr;
    QFrame* RzStatusBar1 = nullptr;
    QLabel* EsTime = nullptr;
    QLabel* RzStatusPane2 = nullptr;
    varnel::GaugeWidget* gg = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QFrame* Panel1 = nullptr;
    QLabel* RzLabel1 = nullptr;
    QLineEdit* Begsec = nullptr;
    QGroupBox* Secradio = nullptr;
    QButtonGroup* SecradioButtons = nullptr;

    // Runs a file dialog modally and gives the confirmed file name, or nothing when the user
    // cancelled. Tests replace it to answer the dialogs od and sd.
    std::function<std::optional<QString>(QFileDialog&)> RunFileDialog;

    // True from a close request during a job until the program ends.
    bool EndRequested() const { return endRequested_; }
    bool JobRunning() const { return jobRunning_; }

    // Handlers.
    void FormCreate();
    void Button1Click();
    void Button2Click();
    void Button4Click();
    void Button3Click();
    void About1Click();
    void Close1Click();
    void Edit1MouseDown(Qt::MouseButton button);
    void Edit2MouseDown(Qt::MouseButton button);
    void SourceItemClick(QAction* sender);
    void TargetItemClick(QAction* sender);
    void Timer1Timer();

    // WindowServices.
    JobInputs ReadJobInputs() override;
    void DisableControls() override;
    void EnableControls() override;
    void ProcessMessages() override;
    void ShowMessage(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    TGauge& Gauge() override { return gauge_; }
    bool& StopRequested() override { return stopRequested_; }
    bool& PauseRequested() override { return pauseRequested_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void CreateComponents();
    void CreateMenus();
    void CreateDialogs();
    void ResetOpenDialog();
    void SetTabOrder();
    void SetJobControlsEnabled(bool enabled);
    // Enter on a focused button presses it; true when the key was taken.
    static bool ButtonKeyPress(QPushButton& button, QEvent& event);
    // What a press in Edit1 or Edit2 does: a right press in an enabled field rebuilds its menu.
    void FieldMouseDown(Qt::MouseButton button, const QLineEdit& field, QMenu& menu, MenuSide side);
    void RebuildMenu(QMenu& menu, MenuSide side);
    // Runs a box modally; after a close request it answers at once as if Esc were pressed.
    int RunBox(QMessageBox& box);

    TGauge gauge_;
    bool stopRequested_ = false;
    bool pauseRequested_ = false;
    bool jobRunning_ = false;
    bool endRequested_ = false;
    QPointer<QMessageBox> openBox_;
};
