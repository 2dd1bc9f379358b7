// The Qt Test classes of the window, run one after another by ui_test_main.cpp.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

using UiTestFactory = std::function<std::unique_ptr<QObject>()>;

std::vector<UiTestFactory>& UiTests();

template <typename TestClass>
bool RegisterUiTest() {
    UiTests().push_back([] { return std::make_unique<TestClass>(); });
    return true;
}
