#pragma once
// The tests reach a window's controls as a user of the design names them: by objectName.

#include <QObject>
#include <QString>
#include <QWidget>
#include <QtGlobal>
#include <cstdlib>

namespace trv81k::testing {

// The control of `window` (or of one of its panels) called `name`, of type T. A control that
// is missing or of another type ends the test with a message that names it.
template <typename T>
T& Control(QWidget& window, const char* name) {
    const QString key = QString::fromLatin1(name);
    if (T* control = window.findChild<T*>(key)) {
        return *control;
    }
    const QObject* other = window.findChild<QObject*>(key);
    qFatal("%s has no %s called %s%s%s", qPrintable(window.objectName()),
           T::staticMetaObject.className(), name, other != nullptr ? ": it is a " : "",
           other != nullptr ? other->metaObject()->className() : "");
    std::abort();
}

}  // namespace trv81k::testing
