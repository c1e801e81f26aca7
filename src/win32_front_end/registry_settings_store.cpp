#include "registry_settings_store.h"

#include "win32_text.h"

#include <windows.h>

#include <vector>

namespace quenlow {

namespace {

constexpr wchar_t section_path[] = L"Software\\VB and VBA Program Settings\\Mobrell\\Tavrim";

class registry_key {
public:
    registry_key() = default;
    ~registry_key()
    {
        if (key_) RegCloseKey(key_);
    }
    registry_key(const registry_key&) = delete;
    registry_key& operator=(const registry_key&) = delete;
    HKEY* out() { return &key_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

std::wstring wide_key(std::string_view key) { return wide(std::string(key)); }

}  // namespace

std::string registry_settings_store::read(std::string_view key) const
{
    registry_key section;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, section_path, 0, KEY_QUERY_VALUE, section.out()) != ERROR_SUCCESS) {
        return {};
    }
    const std::wstring name = wide_key(key);
    // The value may change size between the two calls; try again then.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD bytes = 0;
        if (RegGetValueW(section.get(), nullptr, name.c_str(), RRF_RT_REG_SZ, nullptr, nullptr, &bytes) !=
            ERROR_SUCCESS) {
            return {};
        }
        std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD size = DWORD(buffer.size() * sizeof(wchar_t));
        const LSTATUS status =
            RegGetValueW(section.get(), nullptr, name.c_str(), RRF_RT_REG_SZ, nullptr, buffer.data(), &size);
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS) return {};
        return utf8(std::wstring(buffer.data()));
    }
    return {};
}

void registry_settings_store::write(std::string_view key, const std::string& text)
{
    registry_key section;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, section_path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, section.out(),
                        nullptr) != ERROR_SUCCESS) {
        return;
    }
    const std::wstring value = wide(text);
    RegSetValueExW(section.get(), wide_key(key).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   DWORD((value.size() + 1) * sizeof(wchar_t)));
}

}  // namespace quenlow
