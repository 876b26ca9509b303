#pragma once

#include <QByteArray>
#include <cstdio>
#include <cstdlib>

// A FILE* that collects what is written to it, for code that prints to stdout or stderr.
class CapturedOutput
{
public:
    CapturedOutput() : file_(open_memstream(&data_, &size_)) {}
    ~CapturedOutput()
    {
        std::fclose(file_);
        std::free(data_);
    }
    CapturedOutput(const CapturedOutput&) = delete;
    CapturedOutput& operator=(const CapturedOutput&) = delete;

    std::FILE* file() const { return file_; }
    // Everything flushed so far: what has not been flushed is not seen here.
    QByteArray text() const { return QByteArray(data_, qsizetype(size_)); }

private:
    char* data_ = nullptr;
    size_t size_ = 0;
    std::FILE* file_;
};
