#pragma once

#include <QCoreApplication>
#include <QObject>
#include <QThread>

namespace glyphsmith_state {

// The state objects are confined to the main thread; debug builds check it.
inline void assertMainThread([[maybe_unused]] const QObject* object) {
    Q_ASSERT_X(QThread::currentThread() == object->thread() &&
                   (!QCoreApplication::instance() || object->thread() == QCoreApplication::instance()->thread()),
               "glyphsmith_state", "state objects are used on the main thread only");
}

}  // namespace glyphsmith_state
