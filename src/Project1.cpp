// varnel-backup: the desktop program. One window; every handler runs on this thread.
#include "discovery/nt_volume_list.h"
#include "ui/Unit1.h"
#include "ui/varnel_application.h"

int main(int argc, char* argv[]) {
    varnel::VarnelApplication app(argc, argv);
    InitDecimalSeparator();
    TForm1 form;
    form.show();
    app.exec();
    return 0;
}
