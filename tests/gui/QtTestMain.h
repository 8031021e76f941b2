#pragma once
// Several Qt Test classes in one executable: each file registers its class with VELK3_QT_TEST, and
// the shared main runs them all in one application on the offscreen platform.
#include <QObject>

#include <functional>

int RegisterQtTest(std::function<QObject*()> make);

#define VELK3_QT_TEST(Class) \
    [[maybe_unused]] static const int kRegistered##Class = RegisterQtTest([] { return new Class; });
