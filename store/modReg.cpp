#include "store/modReg.h"

#include "common/AppTitle.h"
#include "platform/dialogs/Dialogs.h"

using namespace platform;

namespace {

constexpr long kErrorInvalidData = 13;

std::string utf8(const QString& s)
{
    return s.toStdString();
}

} // namespace

modReg::modReg(Registry& registry, Dialogs& dialogs) : registry_(registry), dialogs_(dialogs) {}

void modReg::WriteRegValue(HKey hive, const QString& path, const QString& name,
                           const RegValue& value, int type)
{
    HKey key = kNullKey;
    const long opened = registry_.openKey(hive, utf8(path), &key);
    if (opened != ERROR_SUCCESS) {
        // The write goes on with the null handle, which fails in its turn.
        dialogs_.messageBox(QStringLiteral("RegOpenKey error - %1").arg(opened), appTitle(),
                            MsgButtons::Ok, MsgIcon::None);
        key = kNullKey;
    }
    const long set = SetValueOnKey(key, name, type, value);
    if (set != ERROR_SUCCESS)
        dialogs_.messageBox(QStringLiteral("SetValue error - %1").arg(set), appTitle(),
                            MsgButtons::Ok, MsgIcon::None);
    registry_.closeKey(key);
}

RegValue modReg::ReadRegValue(const QString& path, const QString& name)
{
    HKey key = kNullKey;
    if (registry_.openKey(HKEY_LOCAL_MACHINE, utf8(path), &key) != ERROR_SUCCESS)
        key = kNullKey;
    RegValue value;
    QueryValueOnKey(key, name, value);
    registry_.closeKey(key);
    return value;
}

void modReg::DeleteRegValue(HKey hive, const QString& path, const QString& name)
{
    HKey key = kNullKey;
    if (registry_.openKey(hive, utf8(path), &key) != ERROR_SUCCESS)
        key = kNullKey;
    registry_.deleteValue(key, utf8(name));
    registry_.closeKey(key);
}

long modReg::SetValueOnKey(HKey key, const QString& name, int type, const RegValue& value)
{
    if (type == REG_SZ) {
        const QByteArray text = value.text().toUtf8();
        Bytes data(text.begin(), text.end());
        data.push_back(0);
        return registry_.setValue(key, utf8(name), REG_SZ, data);
    }
    if (type == REG_DWORD) {
        const auto n = static_cast<std::uint32_t>(value.toInt32());
        const Bytes data{static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                         static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)};
        return registry_.setValue(key, utf8(name), REG_DWORD, data);
    }
    return ERROR_SUCCESS;
}

long modReg::QueryValueOnKey(HKey key, const QString& name, RegValue& value)
{
    RegType type = REG_NONE;
    Bytes data;
    const long status = registry_.queryValue(key, utf8(name), &type, &data);
    if (status != ERROR_SUCCESS)
        return status;
    if (type == REG_SZ) {
        // The text keeps the stored terminating NUL.
        value = QString::fromUtf8(reinterpret_cast<const char*>(data.data()),
                                  static_cast<qsizetype>(data.size()));
        return ERROR_SUCCESS;
    }
    if (type == REG_DWORD) {
        if (data.size() != 4)
            return kErrorInvalidData;
        const std::uint32_t n = data[0] | (data[1] << 8) | (data[2] << 16) |
                                (static_cast<std::uint32_t>(data[3]) << 24);
        value = static_cast<std::int32_t>(n);
        return ERROR_SUCCESS;
    }
    return -1;
}
