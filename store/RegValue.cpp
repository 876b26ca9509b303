#include "store/RegValue.h"

#include "platform/registry/StoredText.h"

#include <limits>

QString RegValue::text() const
{
    if (const auto* t = std::get_if<QString>(&v_))
        return *t;
    if (const auto* n = std::get_if<std::int32_t>(&v_))
        return QString::number(*n);
    return {};
}

std::optional<std::int64_t> RegValue::number() const
{
    if (const auto* n = std::get_if<std::int32_t>(&v_))
        return *n;
    const auto* t = std::get_if<QString>(&v_);
    if (!t)
        return std::nullopt;

    // Only what stands before the first NUL counts: the store appends one to text.
    const QString digits = textBeforeNul(*t).trimmed();
    if (digits.isEmpty() || digits.size() > 19)
        return std::nullopt;
    qsizetype i = 0;
    if (digits[0] == u'-' || digits[0] == u'+')
        i = 1;
    if (i == digits.size())
        return std::nullopt;
    for (qsizetype k = i; k < digits.size(); ++k) {
        if (digits[k] < u'0' || digits[k] > u'9')
            return std::nullopt;
    }
    bool ok = false;
    const qlonglong value = digits.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

std::int32_t RegValue::toInt32() const
{
    const auto n = number();
    if (!n || *n < std::numeric_limits<std::int32_t>::min() ||
        *n > std::numeric_limits<std::int32_t>::max())
        return 0;
    return static_cast<std::int32_t>(*n);
}

std::int16_t RegValue::toInt16() const
{
    const auto n = number();
    if (!n || *n < std::numeric_limits<std::int16_t>::min() ||
        *n > std::numeric_limits<std::int16_t>::max())
        return 0;
    return static_cast<std::int16_t>(*n);
}
