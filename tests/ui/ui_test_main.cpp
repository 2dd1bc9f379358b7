// Runs every registered Qt Test class of the window in the program's own application object,
// so the exception handling at the event loop and the window's look are those of the program.
#include <QTest>

#include "support/safe_device_map.h"
#include "ui/varnel_application.h"
#include "ui_test_registry.h"

std::vector<UiTestFactory>& UiTests() {
    static std::vector<UiTestFactory> tests;
    return tests;
}

int main(int argc, char* argv[]) {
    InstallLoopOnlyDeviceMap();
    varnel::VarnelApplication app(argc, argv);
    int failed = 0;
    for (const UiTestFactory& make : UiTests()) {
        const std::unique_ptr<QObject> test = make();
        failed += QTest::qExec(test.get(), argc, argv);
    }
    return failed == 0 ? 0 : 1;
}
