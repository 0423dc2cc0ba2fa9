#pragma once
// One QGuiApplication for the whole test program (fonts need it), on the offscreen platform.

#include <QGuiApplication>

namespace trv81k::testing {

inline QGuiApplication& GuiApp() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "resource_test";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    return app;
}

}  // namespace trv81k::testing
