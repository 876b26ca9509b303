#pragma once

#include <QByteArray>
#include <QtGlobal>

// Sets (or with a null value unsets) an environment variable for the life of the object
// and gives it back its old value, or none, afterwards.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : name_(name), saved_(qgetenv(name)), wasSet_(qEnvironmentVariableIsSet(name))
    {
        set(value);
    }
    ~ScopedEnv()
    {
        if (wasSet_)
            qputenv(name_, saved_);
        else
            qunsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

    void set(const QByteArray& value) const
    {
        if (value.isNull())
            qunsetenv(name_);
        else
            qputenv(name_, value);
    }

private:
    const char* name_;
    QByteArray saved_;
    bool wasSet_;
};
