#pragma once

#include <QObject>
#include <QString>

// The child of `parent` of type T named `name` (its objectName), or null.
template <typename T> T* child(const QObject* parent, const char* name)
{
    return parent ? parent->findChild<T*>(QString::fromLatin1(name)) : nullptr;
}
