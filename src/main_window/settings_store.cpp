#include "settings_store.h"

#include <QStringList>
#include <QVariant>

namespace quenlow {

namespace {
const QString section = QStringLiteral("Tavrim");

std::unique_ptr<QSettings> user_settings()
{
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>(
        QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\Mobrell"),
        QSettings::NativeFormat);
#else
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Mobrell"), QStringLiteral("Mobrell"));
#endif
}
}  // namespace

settings_store::settings_store() : settings_(user_settings()) {}

settings_store::settings_store(const QString& file_path)
    : settings_(std::make_unique<QSettings>(file_path, QSettings::IniFormat))
{
}

QString settings_store::read(const QString& key) const
{
    const QVariant value = settings_->value(section + QLatin1Char('/') + key);
    if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

void settings_store::write(const QString& key, const QString& text)
{
    settings_->setValue(section + QLatin1Char('/') + key, text);
    settings_->sync();
}

}  // namespace quenlow
