#pragma once
// The settings store through QSettings:
//  - Linux and other Unix: $XDG_CONFIG_HOME/Mobrell/Mobrell.conf (default
//    ~/.config/Mobrell/Mobrell.conf), group [Tavrim].
// Failures are silent, as the settings_store contract says.

#include "settings_store.h"

#include <QSettings>
#include <QString>

#include <memory>

namespace quenlow {

class qt_settings_store final : public settings_store {
public:
    // The current user's store.
    qt_settings_store();
    // An ini file at `file_path` (tests, portable use).
    explicit qt_settings_store(const QString& file_path);

    // A value QSettings would hand back as a list (a hand-edited "1,5")
    // reads as its text.
    std::string read(std::string_view key) const override;
    void write(std::string_view key, const std::string& text) override;

private:
    std::unique_ptr<QSettings> settings_;
};

}  // namespace quenlow
