#include "gui/QtTestMain.h"

#include <QApplication>
#include <QTest>

#include <memory>
#include <vector>

namespace {
std::vector<std::function<QObject*()>>& Registry() {
    static std::vector<std::function<QObject*()>> registry;
    return registry;
}
}  // namespace

int RegisterQtTest(std::function<QObject*()> make) {
    Registry().push_back(std::move(make));
    return int(Registry().size());
}

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    int failures = 0;
    for (const auto& make : Registry()) {
        const std::unique_ptr<QObject> test(make());
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
