#include "platform/QtSettingsStore.h"

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <QVariant>

namespace veldin {
namespace {

QString Key(std::string_view subkey, std::string_view name) {
    QString key = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    if (subkey.empty()) return key;
    return QString::fromUtf8(subkey.data(), static_cast<qsizetype>(subkey.size())) + '/' + key;
}

} // namespace

QtSettingsStore::QtSettingsStore() {
    // VELDIN_SETTINGS names a file that holds the settings instead (a portable copy, a
    // test run, the headless screenshots), so the user's own stay untouched.
    const QString file = qEnvironmentVariable("VELDIN_SETTINGS");
    if (!file.isEmpty()) settings_ = std::make_unique<QSettings>(file, QSettings::IniFormat);
    else settings_ = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, "Brannick", "VELDIN");
}

QtSettingsStore::QtSettingsStore(const std::string& iniFile)
    : settings_(std::make_unique<QSettings>(QString::fromStdString(iniFile), QSettings::IniFormat)) {}

QtSettingsStore::~QtSettingsStore() = default;

bool QtSettingsStore::keyExists(std::string_view subkey) {
    if (subkey.empty()) return !settings_->allKeys().isEmpty();
    return settings_->childGroups().contains(QString::fromUtf8(subkey.data(), static_cast<qsizetype>(subkey.size())));
}

bool QtSettingsStore::createKey(std::string_view) {
    // A group comes into being with its first value; there is nothing to create ahead.
    return true;
}

std::optional<std::vector<std::uint8_t>> QtSettingsStore::read(std::string_view subkey, std::string_view name,
                                                               RegType type) {
    const QVariant v = settings_->value(Key(subkey, name));
    if (!v.isValid()) return std::nullopt;
    switch (type) {
    case RegType::Sz: {
        if (v.typeId() != QMetaType::QString) return std::nullopt;
        const QByteArray b = v.toString().toUtf8();
        return std::vector<std::uint8_t>(b.begin(), b.end());
    }
    case RegType::Dword: {
        bool ok = false;
        const qlonglong n = v.toLongLong(&ok);
        if (!ok || n < INT32_MIN || n > UINT32_MAX) return std::nullopt;
        const auto u = static_cast<std::uint32_t>(n);
        return std::vector<std::uint8_t>{static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
                                         static_cast<std::uint8_t>(u >> 16), static_cast<std::uint8_t>(u >> 24)};
    }
    case RegType::Binary: {
        if (v.typeId() != QMetaType::QByteArray) return std::nullopt;
        const QByteArray b = v.toByteArray();
        return std::vector<std::uint8_t>(b.begin(), b.end());
    }
    }
    return std::nullopt;
}

bool QtSettingsStore::write(std::string_view subkey, std::string_view name, RegType type,
                            std::span<const std::uint8_t> bytes) {
    QVariant v;
    switch (type) {
    case RegType::Sz:
        v = QString::fromUtf8(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
        break;
    case RegType::Dword: {
        if (bytes.size() != 4) return false;
        const std::uint32_t u = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
        v = QVariant(static_cast<uint>(u)); // -1 of a signed field comes back as the same 32 bits
        break;
    }
    case RegType::Binary:
        v = QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
        break;
    }
    settings_->setValue(Key(subkey, name), v);
    return settings_->isWritable();
}

bool QtSettingsStore::sync() {
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

std::string QtSettingsStore::location() const { return settings_->fileName().toStdString(); }

} // namespace veldin
