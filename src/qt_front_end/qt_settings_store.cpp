#include "qt_settings_store.h"

#include <QStringList>
#include <QVariant>

namespace quenlow {

namespace {

QString key_in_section(std::string_view key)
{
    return QStringLiteral("Tavrim/") + QString::fromUtf8(key.data(), qsizetype(key.size()));
}

}  // namespace

qt_settings_store::qt_settings_store()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            QStringLiteral("Mobrell"), QStringLiteral("Mobrell")))
{
}

qt_settings_store::qt_settings_store(const QString& file_path)
    : settings_(std::make_unique<QSettings>(file_path, QSettings::IniFormat))
{
}

std::string qt_settings_store::read(std::string_view key) const
{
    const QVariant value = settings_->value(key_in_section(key));
    if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(QLatin1Char(',')).toStdString();
    return value.toString().toStdString();
}

void qt_settings_store::write(std::string_view key, const std::string& text)
{
    settings_->setValue(key_in_section(key), QString::fromStdString(text));
    settings_->sync();
}

}  // namespace quenlow
