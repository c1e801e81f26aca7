#include "win32_page_area.h"

#include "win32_handle.h"

#include <windows.h>
#include <oleacc.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <utility>
#include <vector>

namespace quenlow {

namespace {

// The largest visible page child of a Chromium browser window (the
// selected tab's; a hidden tab's child is hidden).
BOOL CALLBACK keep_largest_page(HWND child, LPARAM found)
{
    char name[64] = {};
    RECT rect{};
    if (GetClassNameA(child, name, sizeof name) > 0 && std::strcmp(name, "Chrome_RenderWidgetHostHWND") == 0 &&
        IsWindowVisible(child) && GetWindowRect(child, &rect)) {
        auto& largest = *reinterpret_cast<RECT*>(found);
        const auto area = [](const RECT& r) { return static_cast<long long>(r.right - r.left) * (r.bottom - r.top); };
        if (area(rect) > area(largest)) largest = rect;
    }
    return TRUE;
}

// Releases a COM interface when it goes.
struct accessible_ref {
    IAccessible* p = nullptr;
    accessible_ref() = default;
    explicit accessible_ref(IAccessible* taken) : p(taken) {}
    accessible_ref(accessible_ref&& other) noexcept : p(std::exchange(other.p, nullptr)) {}
    accessible_ref(const accessible_ref&) = delete;
    accessible_ref& operator=(const accessible_ref&) = delete;
    ~accessible_ref()
    {
        if (p) p->Release();
    }
};

struct com_apartment {
    bool ready = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    com_apartment() = default;
    com_apartment(const com_apartment&) = delete;
    com_apartment& operator=(const com_apartment&) = delete;
    ~com_apartment()
    {
        if (ready) CoUninitialize();
    }
};

// How many objects of the browser's bars a search looks at before it gives
// up: the document is a few levels below the window's client.
constexpr int search_limit = 4000;

// The visible document's size through accessibility (MSAA, which Firefox
// serves natively and UI Automation builds on); 0 x 0 when there is none.
SIZE document_size(HWND window)
{
    const com_apartment com;
    IAccessible* client = nullptr;
    if (AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                   reinterpret_cast<void**>(&client)) != S_OK ||
        !client) {
        return {};
    }
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    std::deque<accessible_ref> queue;
    queue.emplace_back(client);
    for (int looked_at = 0; !queue.empty() && looked_at < search_limit; ++looked_at) {
        const accessible_ref object = std::move(queue.front());
        queue.pop_front();
        long count = 0;
        if (object.p->get_accChildCount(&count) != S_OK || count <= 0) continue;
        std::vector<VARIANT> children(static_cast<std::size_t>(std::min(count, 1000L)));
        long obtained = 0;
        if (FAILED(AccessibleChildren(object.p, 0, static_cast<long>(children.size()), children.data(), &obtained))) {
            continue;
        }
        for (long i = 0; i < obtained; ++i) {
            VARIANT& child = children[static_cast<std::size_t>(i)];
            IAccessible* accessible = nullptr;
            if (child.vt == VT_DISPATCH && child.pdispVal) {
                child.pdispVal->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&accessible));
            }
            VariantClear(&child);
            if (!accessible) continue;
            accessible_ref found(accessible);
            VARIANT state{}, role{};
            if (found.p->get_accState(self, &state) != S_OK || state.vt != VT_I4 ||
                (state.lVal & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN))) {
                continue;
            }
            if (found.p->get_accRole(self, &role) == S_OK && role.vt == VT_I4 && role.lVal == ROLE_SYSTEM_DOCUMENT) {
                long x = 0, y = 0, width = 0, height = 0;
                if (found.p->accLocation(&x, &y, &width, &height, self) == S_OK && width > 0 && height > 0) {
                    return {width, height};
                }
                continue;
            }
            queue.push_back(std::move(found));
        }
    }
    return {};
}

}  // namespace

page_reading win32_page_area::read(const page_window& window)
{
    const HWND hwnd = to_hwnd(window.window);
    if (!IsWindow(hwnd)) return {false, 0, 0, "the window closed"};
    RECT page{};
    EnumChildWindows(hwnd, keep_largest_page, reinterpret_cast<LPARAM>(&page));
    if (page.right > page.left && page.bottom > page.top) {
        return {true, static_cast<int>(page.right - page.left), static_cast<int>(page.bottom - page.top), {}};
    }
    if (const SIZE size = document_size(hwnd); size.cx > 0 && size.cy > 0) {
        return {true, static_cast<int>(size.cx), static_cast<int>(size.cy), {}};
    }
    return {false, 0, 0, "the browser shows its page area neither in a window of its own nor to accessibility"};
}

}  // namespace quenlow
