#pragma once
// The Qt front-end put together as the program's entry point does, over an
// in-memory desktop and a settings file of its own.

#include "Form_Tavrim.h"
#include "fake_window_system.h"
#include "about_box_layout.h"
#include "form_layout.h"
#include "frmAboutTavrim.h"
#include "qt_link_opener.h"
#include "qt_settings_store.h"
#include "qt_window.h"

#include <QTemporaryDir>
#include <QtTest>

#include <map>
#include <memory>

namespace quenlow::testing {

using stored_settings = std::map<std::string, std::string>;

struct qt_program {
    explicit qt_program(const stored_settings& stored = {},
                        const std::vector<std::string>& titles = {"Home - Netscape", "Editor",
                                                                  "News - Microsoft Internet Explorer"})
        : path(dir.filePath(QStringLiteral("Mobrell.conf")))
    {
        for (const std::string& title : titles) handles.push_back(desktop.open_window(title));
        {
            qt_settings_store seed(path);
            for (const auto& [key, text] : stored) seed.write(key, text);
        }
        settings = std::make_unique<qt_settings_store>(path);
        form = std::make_unique<Form_Tavrim>(main_ui, desktop, *settings, about);
        form->show();
    }

    QWidget* window() const { return main_ui.widget(); }
    QWidget* about_box() const { return about_ui.widget(); }
    template <class T>
    static T* find(QWidget* top, const char* name)
    {
        T* widget = top ? top->findChild<T*>(QLatin1String(name)) : nullptr;
        if (!widget) qFatal("no control named %s", name);
        return widget;
    }
    template <class T>
    T* find(const char* name) const
    {
        return find<T>(window(), name);
    }
    std::string stored(std::string_view key) const { return qt_settings_store(path).read(key); }
    std::vector<std::string> places() const
    {
        std::vector<std::string> result;
        for (const std::string& call : desktop.calls()) {
            if (call.rfind("place ", 0) == 0) result.push_back(call);
        }
        return result;
    }
    std::string place_of(window_handle handle, int width, int height) const
    {
        return "place " + std::to_string(handle) + " " + std::to_string(width) + "x" + std::to_string(height);
    }

    QTemporaryDir dir;
    QString path;
    fake_window_system desktop;
    std::vector<window_handle> handles;
    std::unique_ptr<qt_settings_store> settings;
    qt_link_opener links;
    qt_window about_ui{about_box_layout()};
    frmAboutTavrim about{about_ui, desktop, links};
    qt_window main_ui{main_window_layout()};
    std::unique_ptr<Form_Tavrim> form;
};

}  // namespace quenlow::testing
