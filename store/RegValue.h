#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <variant>

// The dynamically typed value the registry layer takes and returns: empty (nothing
// read), a 32-bit integer, or text. Text read from the store keeps its terminating NUL.
class RegValue
{
public:
    RegValue() = default;
    RegValue(std::int32_t number) : v_(number) {}
    RegValue(const QString& text) : v_(text) {}
    RegValue(const char* text) : v_(QString::fromUtf8(text)) {}

    bool isEmpty() const { return std::holds_alternative<std::monostate>(v_); }
    bool isNumber() const { return std::holds_alternative<std::int32_t>(v_); }
    bool isText() const { return std::holds_alternative<QString>(v_); }

    // The text form: the text itself, a number in decimal, or "" when empty.
    QString text() const;

    // The number the value stands for. Text converts when it is a decimal number,
    // optionally surrounded by spaces and followed by the store's NUL (and whatever
    // comes after it); empty text or any other text is not a number.
    std::optional<std::int64_t> number() const;
    // Conversions as the program's 16- and 32-bit fields use them: empty, text that
    // is not a number, and numbers that do not fit all give 0.
    std::int32_t toInt32() const;
    std::int16_t toInt16() const;

    bool operator==(const RegValue& other) const = default;

private:
    std::variant<std::monostate, std::int32_t, QString> v_;
};
