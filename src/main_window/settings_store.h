#pragma once
// The program's two remembered choices, kept in the user's settings store
// under application "Mobrell", section "Tavrim", as text:
//  - Linux and other Unix: $XDG_CONFIG_HOME/Mobrell/Mobrell.conf (default
//    ~/.config/Mobrell/Mobrell.conf), group [Tavrim];
//  - Windows: HKEY_CURRENT_USER\Software\VB and VBA Program Settings\Mobrell\Tavrim,
//    REG_SZ values, where earlier versions of the program kept them.
// Failures are silent: an unreadable store reads as empty, an unwritable one
// drops the write, and the program goes on either way.

#include <QSettings>
#include <QString>

#include <memory>

namespace quenlow {

inline const QString fast_button_key = QStringLiteral("FastButton");
inline const QString chinese_key = QStringLiteral("Chinese");

class settings_store {
public:
    // The current user's store.
    settings_store();
    // An ini file at `file_path` (tests, portable use).
    explicit settings_store(const QString& file_path);

    // The stored text, or "" when the key is missing. A value the store would
    // hand back as a list (a hand-edited "1,5") reads as its text.
    QString read(const QString& key) const;
    // Stores `text` and writes it out at once, so nothing is lost if the
    // program ends right after.
    void write(const QString& key, const QString& text);

private:
    std::unique_ptr<QSettings> settings_;
};

}  // namespace quenlow
