#include "win32_page_area.h"

#include "win32_handle.h"
#include "win32_visible_frame.h"

#include <windows.h>
#include <oleacc.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <future>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace quenlow {

namespace {

using clock = page_area_reader::clock;

// What accessibility hands out, each released when it goes.

class accessible_ptr {
public:
    accessible_ptr() = default;
    accessible_ptr(accessible_ptr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    accessible_ptr& operator=(accessible_ptr&& other) noexcept
    {
        std::swap(p_, other.p_);
        return *this;
    }
    accessible_ptr(const accessible_ptr&) = delete;
    accessible_ptr& operator=(const accessible_ptr&) = delete;
    ~accessible_ptr()
    {
        if (p_) p_->Release();
    }
    IAccessible* get() const { return p_; }
    IAccessible* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // Where a call puts the interface it hands over.
    void** put()
    {
        *this = accessible_ptr();
        return reinterpret_cast<void**>(&p_);
    }

private:
    IAccessible* p_ = nullptr;
};

// A VARIANT, cleared (its object released, its string freed) when it goes.
class variant {
public:
    variant() { VariantInit(&v_); }
    variant(const variant&) = delete;
    variant& operator=(const variant&) = delete;
    ~variant() { VariantClear(&v_); }
    VARIANT* put() { return &v_; }
    const VARIANT* operator->() const { return &v_; }

private:
    VARIANT v_;
};

// AccessibleChildren's answer: every VARIANT is cleared when it goes, on
// every path out, the ones never looked at too.
class child_variants {
public:
    explicit child_variants(std::size_t count) : items_(count)
    {
        for (VARIANT& item : items_) VariantInit(&item);
    }
    child_variants(const child_variants&) = delete;
    child_variants& operator=(const child_variants&) = delete;
    ~child_variants()
    {
        for (VARIANT& item : items_) VariantClear(&item);
    }
    VARIANT* data() { return items_.data(); }
    long size() const { return static_cast<long>(items_.size()); }
    const VARIANT& operator[](long index) const { return items_[static_cast<std::size_t>(index)]; }

private:
    std::vector<VARIANT> items_;
};

class bstr {
public:
    bstr() = default;
    bstr(const bstr&) = delete;
    bstr& operator=(const bstr&) = delete;
    ~bstr() { SysFreeString(p_); }
    BSTR* put() { return &p_; }
    std::wstring text() const { return p_ ? std::wstring(p_, SysStringLen(p_)) : std::wstring(); }

private:
    BSTR p_ = nullptr;
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

// IAccessible's interface id. Not IID_IAccessible: mingw-w64's oleacc
// import library links that name to a call thunk, whose code bytes then
// go out as the interface asked for and every object refuses it.
const IID& accessible_id() { return __uuidof(IAccessible); }

VARIANT itself()
{
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}

accessible_ptr client_of(HWND window)
{
    accessible_ptr client;
    if (AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), accessible_id(), client.put()) != S_OK) {
        return {};
    }
    return client;
}

long role_of(IAccessible* object)
{
    variant role;
    return object->get_accRole(itself(), role.put()) == S_OK && role->vt == VT_I4 ? role->lVal : 0;
}

bool shown(IAccessible* object)
{
    variant state;
    return object->get_accState(itself(), state.put()) == S_OK && state->vt == VT_I4 &&
           !(state->lVal & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN));
}

std::wstring name_of(IAccessible* object)
{
    bstr name;
    return object->get_accName(itself(), name.put()) == S_OK ? name.text() : std::wstring();
}

// The children of `object` that are objects of their own (simple elements
// have no children to search and no document to be), at most `limit`.
std::vector<accessible_ptr> children_of(IAccessible* object, long limit)
{
    long count = 0;
    if (object->get_accChildCount(&count) != S_OK || count <= 0) return {};
    child_variants children(static_cast<std::size_t>(std::min(count, limit)));
    long obtained = 0;
    if (FAILED(AccessibleChildren(object, 0, children.size(), children.data(), &obtained))) return {};
    std::vector<accessible_ptr> objects;
    for (long i = 0; i < std::min(obtained, children.size()); ++i) {
        const VARIANT& child = children[i];
        accessible_ptr accessible;
        if (child.vt == VT_DISPATCH && child.pdispVal &&
            SUCCEEDED(child.pdispVal->QueryInterface(accessible_id(), accessible.put())) && accessible) {
            objects.push_back(std::move(accessible));
        }
    }
    return objects;
}

// How many objects of the browser's bars a search looks at before it gives
// up: the document is a few levels below the window's client.
constexpr int search_limit = 4000;

struct document_search {
    SIZE size{};  // 0 x 0 when no document was found
    bool cut_short = false;  // the deadline came first
};

// The first visible document breadth first below the window's client, as
// Firefox shows it; no further objects are asked once `deadline` is past.
document_search find_document(HWND window, clock::time_point deadline)
{
    accessible_ptr client = client_of(window);
    if (!client) return {};
    std::deque<accessible_ptr> queue;
    queue.push_back(std::move(client));
    for (int looked_at = 0; !queue.empty() && looked_at < search_limit; ++looked_at) {
        if (clock::now() >= deadline) return {{}, true};
        const accessible_ptr object = std::move(queue.front());
        queue.pop_front();
        for (accessible_ptr& child : children_of(object.get(), 1000)) {
            if (!shown(child.get())) continue;
            if (role_of(child.get()) == ROLE_SYSTEM_DOCUMENT) {
                long x = 0, y = 0, width = 0, height = 0;
                if (child->accLocation(&x, &y, &width, &height, itself()) == S_OK && width > 0 && height > 0) {
                    return {{width, height}, false};
                }
                continue;
            }
            queue.push_back(std::move(child));
        }
    }
    return {};
}

// What a render widget's page is called to accessibility: the name of the
// widget's client object, or else of the document just below it. Chrome
// answers for the widget with its page's document, named by the page's
// title; the document of its developer tools is "DevTools - <address>".
std::wstring page_name(HWND widget)
{
    const accessible_ptr client = client_of(widget);
    if (!client) return {};
    if (std::wstring name = name_of(client.get()); !name.empty()) return name;
    for (const accessible_ptr& child : children_of(client.get(), 16)) {
        if (role_of(child.get()) == ROLE_SYSTEM_DOCUMENT) return name_of(child.get());
    }
    return {};
}

// Runs `ask`, which talks to the browser through accessibility, on a thread
// of its own (with its own COM apartment) and waits for its answer only
// until `deadline`: a browser that has stopped answering holds that thread,
// never the caller. A thread given up on finishes on its own: it owns
// copies of all it uses, and the promise's shared state keeps the answer
// it leaves for nobody. Nothing when the deadline came first; `Answer{}`
// when the thread could not start or `ask` failed.
template <class Answer, class Ask>
std::optional<Answer> ask_before(clock::time_point deadline, Ask ask)
{
    if (clock::now() >= deadline) return std::nullopt;
    std::promise<Answer> promise;
    std::future<Answer> answer = promise.get_future();
    try {
        std::thread([promise = std::move(promise), ask = std::move(ask)]() mutable {
            const com_apartment com;
            Answer result{};
            try {
                result = ask();
            } catch (...) {  // out of memory: nothing learnt
            }
            promise.set_value(std::move(result));
        }).detach();
    } catch (const std::system_error&) {
        return Answer{};
    }
    if (answer.wait_until(deadline) != std::future_status::ready) return std::nullopt;
    return answer.get();
}

struct render_widget {
    HWND window;
    RECT rect;
};

long long area(const RECT& r)
{
    return (static_cast<long long>(r.right) - r.left) * (static_cast<long long>(r.bottom) - r.top);
}

// Chromium browsers draw each page (the selected tab's, docked developer
// tools, a side panel) in a child window of this class; a hidden tab's is
// hidden.
BOOL CALLBACK keep_render_widget(HWND child, LPARAM found)
{
    char name[64] = {};
    RECT rect{};
    if (GetClassNameA(child, name, sizeof name) > 0 && std::strcmp(name, "Chrome_RenderWidgetHostHWND") == 0 &&
        IsWindowVisible(child) && GetWindowRect(child, &rect) && rect.right > rect.left && rect.bottom > rect.top) {
        try {
            reinterpret_cast<std::vector<render_widget>*>(found)->push_back({child, rect});
        } catch (...) {  // nothing may be thrown through the system's call
            return FALSE;
        }
    }
    return TRUE;
}

// Which render widget shows the page, given what each is called ("" where
// it said nothing). First the one whose name the window's title begins
// with: Chrome titles its window "<page title> - Google Chrome", Edge
// "<page title> - <profile> - Microsoft Edge". Else one not named like the
// developer tools, for a page without a title. Among equals (nothing tells
// them apart) the largest, which the page is unless tools are docked.
std::size_t page_widget(const std::vector<render_widget>& widgets, const std::vector<std::wstring>& names,
                        const std::wstring& title)
{
    const auto rank = [&](std::size_t i) {
        const std::wstring& name = names[i];
        const int told = !name.empty() && title.starts_with(name) ? 2 : name.starts_with(L"DevTools") ? 0 : 1;
        return std::pair(told, area(widgets[i].rect));
    };
    std::size_t best = 0;
    for (std::size_t i = 1; i < widgets.size(); ++i) {
        if (rank(i) > rank(best)) best = i;
    }
    return best;
}

std::wstring title_of(HWND window)
{
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring title(static_cast<std::size_t>(length) + 1, L'\0');
    title.resize(static_cast<std::size_t>(std::max(0, GetWindowTextW(window, title.data(), length + 1))));
    return title;
}

bool believable(long long side) { return side >= 1 && side <= largest_page_side; }

// A reading of `width` x `height` in `window`, with the window's visible
// frame (what place_window sizes) where it holds the page; not found when
// the size cannot be a page's.
page_reading reading_of(HWND window, long long width, long long height)
{
    if (!believable(width) || !believable(height)) {
        return page_not_found("the browser tells a page area of " + std::to_string(width) + " x " +
                              std::to_string(height) + " pixels, which no page has");
    }
    page_reading reading;
    reading.found = true;
    reading.width = static_cast<int>(width);
    reading.height = static_cast<int>(height);
    RECT rect{};
    if (GetWindowRect(window, &rect)) {
        const screen_rect frame = visible_bounds(window, rect);
        const long long frame_width = static_cast<long long>(frame.right) - frame.left;
        const long long frame_height = static_cast<long long>(frame.bottom) - frame.top;
        // A frame smaller than its page tells nothing of the bars around it.
        if (believable(frame_width) && believable(frame_height) && frame_width >= width && frame_height >= height) {
            reading.frame_width = static_cast<int>(frame_width);
            reading.frame_height = static_cast<int>(frame_height);
        }
    }
    return reading;
}

page_reading reading_of(HWND window, const RECT& page)
{
    return reading_of(window, static_cast<long long>(page.right) - page.left,
                      static_cast<long long>(page.bottom) - page.top);
}

page_reading ran_out(const char* asked)
{
    return page_not_found(std::string("the browser did not answer accessibility in time (asked ") + asked + ")");
}

}  // namespace

page_reading win32_page_area::read(const page_window& window, clock::time_point deadline)
{
    const HWND hwnd = to_hwnd(window.window);
    if (!IsWindow(hwnd)) return page_not_found("the window closed");
    std::vector<render_widget> widgets;
    EnumChildWindows(hwnd, keep_render_widget, reinterpret_cast<LPARAM>(&widgets));
    if (widgets.size() == 1) return reading_of(hwnd, widgets.front().rect);
    if (widgets.size() > 1) {
        // Only asked when there is a choice, since the question switches on
        // Chrome's accessibility, which then stays on.
        std::vector<HWND> handles;
        for (const render_widget& widget : widgets) handles.push_back(widget.window);
        const auto names = ask_before<std::vector<std::wstring>>(deadline, [handles, deadline] {
            std::vector<std::wstring> names;
            for (const HWND widget : handles) {
                if (clock::now() >= deadline) break;
                names.push_back(page_name(widget));
            }
            return names;
        });
        if (!names || names->size() < widgets.size()) return ran_out("which of its page windows shows the page");
        return reading_of(hwnd, widgets[page_widget(widgets, *names, title_of(hwnd))].rect);
    }
    const auto document =
        ask_before<document_search>(deadline, [hwnd, deadline] { return find_document(hwnd, deadline); });
    if (!document || document->cut_short) return ran_out("for its page");
    if (document->size.cx > 0 && document->size.cy > 0) return reading_of(hwnd, document->size.cx, document->size.cy);
    return page_not_found("the browser shows its page area neither in a window of its own nor to accessibility");
}

}  // namespace quenlow
