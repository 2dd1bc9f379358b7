#include "ui/Unit1.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QCompleter>
#include <QContextMenuEvent>
#include <QFile>
#include <QFileDialog>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <array>

#include "engine/device_paths.h"
#include "engine/imaging_job.h"
#include "engine/remaining_time.h"
#include "ui/endpoint_choice.h"
#include "ui/focus_keeper.h"
#include "ui/gauge_widget.h"
#include "ui/maker_page.h"
#include "ui/message_boxes.h"
#include "ui/varnel_application.h"
#include "ui/window_look.h"
#include "ui/window_placement.h"

namespace {

constexpr const char* kApplicationTitle = "Varnel工控机系统备份软件 10.6";

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Runs a handler; an exception that leaves it is shown in the exception box and the window
// goes on.
template <typename Handler>
void Guarded(Handler&& handler) {
    try {
        handler();
    } catch (...) {
        varnel::ShowCurrentException();
    }
}

template <typename Widget>
Widget* Place(Widget* widget, const char* name, int left, int top, int width, int height) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

// Menu captions come from volume labels as well: a '&' there is a character, not an access
// letter.
QString MenuCaption(const std::string& caption) {
    return QString::fromStdString(caption).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

std::string FileNameOf(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// The answer a box gives by itself once the end of the program has been requested: its Esc
// answer (OK for the message box, No for the question), given from the event loop the box runs;
// a box that is gone by then is left alone.
void AnswerLikeEscapeSoon(QMessageBox& box) {
    QTimer::singleShot(0, &box, [&box] {
        if (QAbstractButton* escape = box.escapeButton()) {
            escape->click();
        }
    });
}

// A name typed into a file dialog and confirmed with Enter leaves its completer's list open;
// it goes with the dialog.
void HideCompleterLists(QFileDialog& dialog) {
    for (const QCompleter* completer : dialog.findChildren<QCompleter*>()) {
        if (completer->popup() != nullptr) {
            completer->popup()->hide();
        }
    }
}

std::optional<QString> RunDialogModally(QFileDialog& dialog) {
    const int answer = dialog.exec();
    HideCompleterLists(dialog);
    if (answer == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        return dialog.selectedFiles().constFirst();
    }
    return std::nullopt;
}

}  // namespace

TForm1::TForm1(QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint),
      RunFileDialog(RunDialogModally) {
    setObjectName(QStringLiteral("Form1"));
    setFont(varnel::WindowFont());
    CreateComponents();
    CreateMenus();
    CreateDialogs();
    SetTabOrder();
    // The client area below the menu bar is fixed; the window cannot be resized or maximised.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    varnel::PlaceOnScreen(*this, QPoint(533, 346));
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::CreateComponents() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    client->setFixedSize(457, 344);
    setCentralWidget(client);

    Button1 = Place(new QPushButton(Text("开始"), client), "Button1", 80, 184, 75, 25);
    Button2 = Place(new QPushButton(Text("停止"), client), "Button2", 304, 184, 75, 25);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);

    GroupBox1 = Place(new QGroupBox(Text("数据源"), client), "GroupBox1", 8, 8, 433, 129);
    Label1 = Place(new QLabel(Text("源数据:"), GroupBox1), "Label1", 16, 64, 81, 13);
    Edit1 = Place(new QLineEdit(GroupBox1), "Edit1", 80, 60, 337, 20);

    pops = new QMenu(this);
    pops->setObjectName(QStringLiteral("pops"));
    popd = new QMenu(this);
    popd->setObjectName(QStringLiteral("popd"));

    Button3 = Place(new QPushButton(Text("损坏工控机维修以及恢复,联系我们"), client), "Button3", 80,
                    232, 297, 25);
    Button4 = Place(new QPushButton(Text("暂停"), client), "Button4", 192, 184, 75, 25);

    RzStatusBar1 = Place(new QFrame(client), "RzStatusBar1", 0, 325, 457, 19);
    RzStatusBar1->setFocusPolicy(Qt::NoFocus);
    EsTime = Place(new QLabel(RzStatusBar1), "EsTime", 0, 0, 121, 19);
    RzStatusPane2 = Place(new QLabel(Text(varnel::kMakerNotice), RzStatusBar1), "RzStatusPane2",
                          121, 0, 336, 19);

    gg = Place(new varnel::GaugeWidget(gauge_, client), "gg", 24, 280, 409, 25);
    Label2 = Place(new QLabel(Text("数据目标:"), client), "Label2", 24, 155, 113, 13);
    Edit2 = Place(new QLineEdit(client), "Edit2", 88, 152, 337, 20);

    // The job settings: present for the job, never shown.
    Panel1 = Place(new QFrame(client), "Panel1", 0, 0, 200, 140);
    RzLabel1 = Place(new QLabel(Text("开始扇区:"), Panel1), "RzLabel1", 8, 8, 60, 13);
    Begsec = Place(new QLineEdit(QStringLiteral("0"), Panel1), "Begsec", 72, 4, 120, 20);
    Secradio = Place(new QGroupBox(Text("扇区大小:"), Panel1), "Secradio", 8, 30, 184, 104);
    SecradioButtons = new QButtonGroup(Secradio);
    const char* const sectorSizes[] = {"512字节每扇区", "518字节每扇区", "520字节每扇区",
                                       "522字节每扇区"};
    for (int i = 0; i < 4; ++i) {
        auto* item = new QRadioButton(Text(sectorSizes[i]), Secradio);
        item->setObjectName(QStringLiteral("Secradio%1").arg(i));
        item->setGeometry(8, 18 + 20 * i, 170, 18);
        SecradioButtons->addButton(item, i);
    }
    Panel1->hide();

    struct FieldMenu {
        QLineEdit* field;
        QMenu* menu;
    };
    for (const FieldMenu& fieldMenu : {FieldMenu{Edit1, pops}, FieldMenu{Edit2, popd}}) {
        QLineEdit* const field = fieldMenu.field;
        QMenu* const menu = fieldMenu.menu;
        // The fields take no typing (the event filter refuses characters, pasting and input
        // methods) but act on keys without a character, such as Delete.
        field->setAcceptDrops(false);
        field->setContextMenuPolicy(Qt::CustomContextMenu);
        field->installEventFilter(this);
        connect(field, &QWidget::customContextMenuRequested, this, [field, menu](const QPoint& at) {
            if (field->isEnabled() && !menu->isEmpty()) {
                menu->popup(field->mapToGlobal(at));
            }
        });
    }

    // Enter presses a focused button, as Space does.
    for (QPushButton* button : {Button1, Button2, Button3, Button4}) {
        button->installEventFilter(this);
    }

    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { Guarded([this] { Button2Click(); }); });
    connect(Button4, &QPushButton::clicked, this, [this] { Guarded([this] { Button4Click(); }); });
    connect(Button3, &QPushButton::clicked, this, [this] { Guarded([this] { Button3Click(); }); });
    connect(Timer1, &QTimer::timeout, this, [this] { Guarded([this] { Timer1Timer(); }); });
}

void TForm1::CreateMenus() {
    QMenuBar* MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));

    File1 = MainMenu1->addMenu(Text("文件"));
    File1->setObjectName(QStringLiteral("File1"));
    Close1 = File1->addAction(Text("关闭"));
    Close1->setObjectName(QStringLiteral("Close1"));

    Help1 = MainMenu1->addMenu(Text("帮助"));
    Help1->setObjectName(QStringLiteral("Help1"));
    Manual1 = Help1->addAction(Text("帮助文档"));  // does nothing
    Manual1->setObjectName(QStringLiteral("Manual1"));
    N1 = Help1->addSeparator();
    N1->setObjectName(QStringLiteral("N1"));
    About1 = Help1->addAction(Text("关于"));
    About1->setObjectName(QStringLiteral("About1"));

    connect(Close1, &QAction::triggered, this, [this] { Guarded([this] { Close1Click(); }); });
    connect(About1, &QAction::triggered, this, [this] { Guarded([this] { About1Click(); }); });
}

void TForm1::CreateDialogs() {
    ResetOpenDialog();

    sd = new QFileDialog(this);
    sd->setObjectName(QStringLiteral("sd"));
    sd->setAcceptMode(QFileDialog::AcceptSave);  // asks before overwriting
    sd->setFileMode(QFileDialog::AnyFile);
    sd->setNameFilter(QStringLiteral("Disk Image(*.img)"));
    sd->setDefaultSuffix(QString());  // a name typed without extension is taken as typed
}

void TForm1::ResetOpenDialog() {
    // A file dialog cannot be told to forget the name it holds: a fresh one, in the folder of
    // the last, opens with an empty name, no filter and no default extension.
    QString folder;
    if (od != nullptr) {
        folder = od->directory().absolutePath();
        od->deleteLater();
    }
    od = new QFileDialog(this, QString(), folder);
    od->setObjectName(QStringLiteral("od"));
    od->setAcceptMode(QFileDialog::AcceptOpen);
    od->setFileMode(QFileDialog::AnyFile);  // the named file need not exist
}

void TForm1::SetTabOrder() {
    QWidget::setTabOrder(Button1, Button2);
    QWidget::setTabOrder(Button2, Edit1);
    QWidget::setTabOrder(Edit1, Button3);
    QWidget::setTabOrder(Button3, Button4);
    QWidget::setTabOrder(Button4, Edit2);
    QWidget::setTabOrder(Edit2, Begsec);
    QWidget::setTabOrder(Begsec, Secradio);
}

void TForm1::FormCreate() {
    InitDeviceNames(DriveStem, DevicePrefix);
    QApplication::setApplicationDisplayName(Text(kApplicationTitle));
    setWindowTitle(Text(kApplicationTitle));
    SecradioButtons->button(0)->setChecked(true);
    Button1->setFocus();
}

void TForm1::Button1Click() {
    if (jobRunning_) {
        return;
    }
    jobRunning_ = true;
    {
        const varnel::FocusKeeper focus;
        Guarded([this] {
            InitDeviceNames(DriveStem, DevicePrefix);
            const JobOutcome outcome = RunImagingJob(*this);
            if (outcome.kind == JobOutcome::Kind::Copied && outcome.copy.stopped) {
                ShowMessage(StoppedMessage(outcome.copy, TargetPath));
            }
        });
    }
    jobRunning_ = false;
    if (endRequested_) {
        close();
        QCoreApplication::quit();
    }
}

void TForm1::Button2Click() {
    RequestStop(*this);
}

void TForm1::Button4Click() {
    RequestPause(*this);
}

void TForm1::Button3Click() {
    varnel::OpenMakerPage();
}

void TForm1::About1Click() {
    varnel::OpenMakerPage();
}

void TForm1::Close1Click() {
    close();
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!jobRunning_) {
        event->accept();
        return;
    }
    // The job runs on; the program ends when it returns. A box that is open now answers by
    // itself, like every box shown from here on.
    event->ignore();
    endRequested_ = true;
    if (openBox_) {
        AnswerLikeEscapeSoon(*openBox_);
    }
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (auto* button = qobject_cast<QPushButton*>(watched)) {
        return ButtonKeyPress(*button, *event) || QMainWindow::eventFilter(watched, event);
    }
    auto* field = qobject_cast<QLineEdit*>(watched);
    if (field != Edit1 && field != Edit2) {
        return QMainWindow::eventFilter(watched, event);
    }
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
            Guarded([&] {
                if (field == Edit1) {
                    Edit1MouseDown(button);
                } else {
                    Edit2MouseDown(button);
                }
            });
            return false;
        }
        case QEvent::MouseButtonRelease:
            // The middle button pastes the selection on X11: that is typing too.
            return static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton;
        case QEvent::InputMethod:
        case QEvent::Drop:
            return true;
        case QEvent::KeyPress: {
            const auto* key = static_cast<QKeyEvent*>(event);
            // Shift+F10 opens the field's menu, like the context-menu key.
            if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier) {
                const QPoint at =
                    field->inputMethodQuery(Qt::ImCursorRectangle).toRect().bottomLeft();
                QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, at,
                                            field->mapToGlobal(at));
                QCoreApplication::sendEvent(field, &menuEvent);
                return true;
            }
            // Edit1KeyPress / Edit2KeyPress: every character is refused with a beep. Keys
            // without a character, Delete, and the focus keys pass.
            if (key->text().isEmpty() || key->key() == Qt::Key_Delete ||
                key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
                return false;
            }
            QApplication::beep();
            return true;
        }
        default:
            return false;
    }
}

bool TForm1::ButtonKeyPress(QPushButton& button, QEvent& event) {
    if (event.type() != QEvent::KeyPress) {
        return false;
    }
    const auto& key = static_cast<QKeyEvent&>(event);
    if ((key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter) || key.isAutoRepeat() ||
        !button.isEnabled()) {
        return false;
    }
    button.click();
    return true;
}

void TForm1::Edit1MouseDown(Qt::MouseButton button) {
    FieldMouseDown(button, *Edit1, *pops, MenuSide::Source);
}

void TForm1::Edit2MouseDown(Qt::MouseButton button) {
    FieldMouseDown(button, *Edit2, *popd, MenuSide::Target);
}

void TForm1::FieldMouseDown(Qt::MouseButton button, const QLineEdit& field, QMenu& menu,
                            MenuSide side) {
    ProcessMessages();
    if (button == Qt::RightButton && field.isEnabled()) {
        RebuildMenu(menu, side);
    }
}

void TForm1::RebuildMenu(QMenu& menu, MenuSide side) {
    menu.clear();  // frees the items the menu owns
    for (const MenuEntry& entry : BuildEndpointMenu(side, DriveStem, DevicePrefix)) {
        if (entry.kind == MenuEntry::Kind::Separator) {
            menu.addSeparator();
            continue;
        }
        QAction* item = menu.addAction(MenuCaption(entry.caption));
        if (entry.kind == MenuEntry::Kind::NoRights) {
            item->setObjectName(QStringLiteral("NoRights"));
            item->setEnabled(false);
            continue;
        }
        item->setObjectName(QString::fromStdString(entry.name));
        connect(item, &QAction::triggered, this, [this, item, side] {
            Guarded([&] {
                if (side == MenuSide::Source) {
                    SourceItemClick(item);
                } else {
                    TargetItemClick(item);
                }
            });
        });
    }
}

void TForm1::SourceItemClick(QAction* sender) {
    ResetOpenDialog();
    if (sender == nullptr) {
        return;
    }
    const std::string name = sender->objectName().toStdString();
    if (name == "Openimage") {
        if (const std::optional<QString> file = RunFileDialog(*od)) {
            SourcePath = FileNameOf(*file);
            Edit1->setText(*file);
        }
        return;
    }
    const varnel::EndpointChoice choice =
        varnel::ChooseDeviceItem(MenuSide::Source, name, DriveStem, DevicePrefix);
    SourcePath = choice.path;
    Edit1->setText(QString::fromStdString(choice.fieldText));
}

void TForm1::TargetItemClick(QAction* sender) {
    if (sender == nullptr) {
        return;
    }
    const std::string name = sender->objectName().toStdString();
    if (name == "Saveimage") {
        if (const std::optional<QString> file = RunFileDialog(*sd)) {
            TargetPath = FileNameOf(*file);
            Edit2->setText(*file);
            TargetIsFile = true;
            sd->selectFile(*file);  // offered again next time
        }
        return;
    }
    const varnel::EndpointChoice choice =
        varnel::ChooseDeviceItem(MenuSide::Target, name, DriveStem, DevicePrefix);
    TargetPath = choice.path;
    Edit2->setText(QString::fromStdString(choice.fieldText));
    TargetIsFile = false;
}

void TForm1::Timer1Timer() {
    ++TickCount;
    if (const std::optional<std::string> text =
            RemainingTimeText(TickCount, gauge_.MaxValue(), gauge_.Progress())) {
        EsTime->setText(QString::fromStdString(*text));
    }
}

JobInputs TForm1::ReadJobInputs() {
    JobInputs inputs;
    inputs.SourcePath = SourcePath;
    inputs.TargetPath = TargetPath;
    inputs.TargetIsFile = TargetIsFile;
    inputs.SourceFieldText = Edit1->text().toStdString();
    inputs.TargetFieldText = Edit2->text().toStdString();
    inputs.SecradioItemIndex = SecradioButtons->checkedId();
    inputs.StartText = Begsec->text().toStdString();
    return inputs;
}

void TForm1::SetJobControlsEnabled(bool enabled) {
    // Start, the two fields, the sector-size group and the start field, in that order.
    const std::array<QWidget*, 5> controls = {Button1, Edit1, Edit2, Secradio, Begsec};
    for (QWidget* control : controls) {
        control->setEnabled(enabled);
    }
}

void TForm1::DisableControls() {
    SetJobControlsEnabled(false);
    // Each job's estimate rests on its own ticks only.
    TickCount = 0;
    Timer1->start();
}

void TForm1::EnableControls() {
    SetJobControlsEnabled(true);
    Timer1->stop();
}

void TForm1::ProcessMessages() {
    QCoreApplication::processEvents();
}

int TForm1::RunBox(QMessageBox& box) {
    const varnel::FocusKeeper focus;
    const QPointer<QMessageBox> previous = openBox_;
    openBox_ = &box;
    if (endRequested_) {
        AnswerLikeEscapeSoon(box);
    }
    const int answer = box.exec();
    openBox_ = previous;
    return answer;
}

void TForm1::ShowMessage(const std::string& text) {
    const std::unique_ptr<QMessageBox> box = varnel::MakeMessageBox(text);
    RunBox(*box);
}

bool TForm1::AskYesNo(const std::string& text) {
    const std::unique_ptr<QMessageBox> box = varnel::MakeQuestionBox(text);
    return RunBox(*box) == QMessageBox::Yes;
}
