#include "setup_advice.h"

#include <array>
#include <string_view>

namespace quenlow {

namespace {

// Each text may name {shell}, {made_for}, {error} and {copy}.
struct advice_texts {
    const char* log_in_again;
    const char* not_installed;
    const char* switched_off;
    const char* all_extensions_off;
    const char* other_shell_version;
    const char* failed_to_load;
    const char* no_reason;
    // Added where a per-user copy hides the copy installed for every user.
    const char* user_copy_hides;
    // Added to log_in_again where the copy found is the user's own.
    const char* user_copy_found;
};

constexpr advice_texts english{
    "GNOME Shell finds the extension Mobrell Quenlow needs only when you log in. Log out and log in again "
    "once; until then the list of browser windows stays empty.",
    "The GNOME Shell extension Mobrell Quenlow needs is not installed: install the program's package (or "
    "run ./run.sh in its source folder), then log out and log in again once.",
    "The GNOME Shell extension Mobrell Quenlow needs is switched off. Switch it on in the Extensions app "
    "(gnome-extensions enable quenlow@mobrell.example).",
    "All GNOME Shell extensions are switched off, and Mobrell Quenlow lists windows through one of its own. "
    "Switch extensions on in the Extensions app (gsettings set org.gnome.shell disable-user-extensions false).",
    "The GNOME Shell extension of Mobrell Quenlow found is made for GNOME Shell {made_for}, and this is "
    "GNOME Shell {shell}. A Mobrell Quenlow made for this GNOME Shell brings one that fits.",
    "GNOME Shell could not load the extension Mobrell Quenlow needs: {error}",
    "it gave no reason.",
    " The copy in {copy} is your own, and GNOME Shell reads it instead of the one installed for every user: "
    "remove it, then log out and log in again.",
    " It will find the copy in {copy}.",
};

constexpr advice_texts chinese{
    "GNOME Shell 只在登入時才會找到墨貝昆洛所需的擴充功能。請登出再登入一次；在那之前，視窗表會是空的。",
    "墨貝昆洛所需的 GNOME Shell 擴充功能尚未安裝：請安裝本程式的套件（或在原始碼資料夾中執行 ./run.sh），"
    "然後登出再登入一次。",
    "墨貝昆洛所需的 GNOME Shell 擴充功能已被關閉。請在「擴充功能」程式中開啟它"
    "（gnome-extensions enable quenlow@mobrell.example）。",
    "所有 GNOME Shell 擴充功能都已被關閉，而墨貝昆洛要透過自己的擴充功能列出視窗。請在「擴充功能」程式中開啟擴充功能"
    "（gsettings set org.gnome.shell disable-user-extensions false）。",
    "找到的墨貝昆洛 GNOME Shell 擴充功能是為 GNOME Shell {made_for} 製作的，而這是 GNOME Shell {shell}。"
    "為這個 GNOME Shell 製作的墨貝昆洛會帶來合用的擴充功能。",
    "GNOME Shell 無法載入墨貝昆洛所需的擴充功能：{error}",
    "它沒有說明原因。",
    "{copy} 中的副本是您自己的，GNOME Shell 會讀取它而不是為所有使用者安裝的那一份：請刪除它，然後登出再登入一次。",
    "它會找到 {copy} 中的副本。",
};

void replace_all(std::string& text, std::string_view name, const std::string& value)
{
    for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + value.size())) {
        text.replace(at, name.size(), value);
    }
}

}  // namespace

std::string setup_advice(const setup_need& need, caption_language language)
{
    const advice_texts& texts = language == caption_language::chinese ? chinese : english;
    std::string advice;
    switch (need.step) {
    case setup_step::none: return advice;
    case setup_step::log_in_again:
        advice = texts.log_in_again;
        if (!need.user_copy.empty()) advice += texts.user_copy_found;
        break;
    case setup_step::not_installed: advice = texts.not_installed; break;
    case setup_step::switched_off: advice = texts.switched_off; break;
    case setup_step::all_extensions_off: advice = texts.all_extensions_off; break;
    case setup_step::other_shell_version:
        advice = texts.other_shell_version;
        if (!need.user_copy.empty()) advice += texts.user_copy_hides;
        break;
    case setup_step::failed_to_load:
        advice = texts.failed_to_load;
        if (!need.user_copy.empty()) advice += texts.user_copy_hides;
        break;
    }
    replace_all(advice, "{shell}", need.shell_version.empty() ? std::string("?") : need.shell_version);
    replace_all(advice, "{made_for}", need.extension_versions.empty() ? std::string("?") : need.extension_versions);
    replace_all(advice, "{error}", need.error.empty() ? std::string(texts.no_reason) : need.error);
    replace_all(advice, "{copy}", need.user_copy);
    return advice;
}

std::string unreachable_advice(const window_system& windows, caption_language language)
{
    const std::string sought = windows.unreachable();
    if (sought.empty()) return sought;
    return language == caption_language::chinese
               ? "墨貝昆洛無法取得這個桌面的視窗（" + sought + "），所以視窗表會是空的。"
               : "Mobrell Quenlow cannot reach this desktop's windows (" + sought + "), so the list stays empty.";
}

}  // namespace quenlow
